"""What the module says a result rests on: the tables, as varve-batch names
them, the entry to cite, and the package's metadata."""

import os
import pathlib
import re
import subprocess
from importlib import metadata

import pytest

import varve

REPOSITORY = pathlib.Path(__file__).resolve().parents[3]


def test_tables_identity_names_the_tables_as_varve_batch_version_does():
    path = pathlib.Path(os.environ.get("VARVE_BATCH", REPOSITORY / "build" / "varve-batch"))
    if not path.exists():
        pytest.fail(f"{path} not found: build it first (cmake --workflow --preset default) "
                    "or name it in VARVE_BATCH")
    said = subprocess.run([str(path), "--version"], text=True, capture_output=True,
                          check=True).stdout.splitlines()
    tables = varve.tables_identity()
    assert list(tables) == ["revision", "checksum"]
    assert re.fullmatch(r"[0-9a-f]{8}", tables["checksum"])
    assert said[1] == (f"correspondence tables revision {tables['revision']}, "
                       f"checksum {tables['checksum']}")


def test_citation_names_the_developers_the_version_and_the_tables():
    tables = varve.tables_identity()
    note = (f"Version {varve.__version__}, correspondence tables revision "
            f"{tables['revision']}, checksum {tables['checksum']}")
    text = varve.citation()
    assert re.fullmatch(r"varve-convert developers \(\d{4}\)\. varve-convert: .+\. "
                        + re.escape(note) + r"\.", text), text
    bibtex = varve.citation("bibtex").splitlines()
    assert bibtex[0] == "@Manual{varve-convert," and bibtex[-1] == "}"
    fields = dict(re.fullmatch(r"  (\w+) = \{(.*)\},", line).groups() for line in bibtex[1:-1])
    # An entity as the author: braced, so that BibTeX takes no part of it for a surname.
    assert fields["author"] == "{varve-convert developers}"
    assert re.fullmatch(r"\d{4}", fields["year"]) and f"({fields['year']})" in text
    assert fields["note"] == note
    assert fields["title"] in text
    with pytest.raises(ValueError, match="style"):
        varve.citation("apa")


def test_the_metadata_names_the_developers_and_no_made_up_address_or_page():
    about = metadata.metadata("varve")
    assert about["Author"] == "varve-convert developers"
    assert about.get("Author-email") is None and about.get("Home-page") is None
    assert about.get_all("Project-URL") is None
