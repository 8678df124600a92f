"""Builds varve._engine with CMake (CMakeLists.txt beside this file) and puts
it into the package, so that `pip install --no-build-isolation .` and
`pip wheel --no-build-isolation .` work from this folder with Debian's cmake,
g++ and pybind11 and nothing downloaded."""

import os
import pathlib
import re
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = pathlib.Path(__file__).resolve().parent
PROJECT = HERE.parent.parent / "CMakeLists.txt"
if not (PROJECT.is_file() and (HERE.parent.parent / "src" / "chronology").is_dir()):
    sys.exit(f"{HERE} builds only inside the varve-convert repository, as bindings/python: "
             "the engine's headers and the version come from it")
# The version lives in one place: the CMake project of the repository.
VERSION = re.search(r"project\(varve-convert VERSION ([0-9.]+)", PROJECT.read_text()).group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        import pybind11

        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        build_dir = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.run(
            [
                "cmake", "-S", str(HERE), "-B", str(build_dir),
                f"-DPython_EXECUTABLE={sys.executable}",
                f"-Dpybind11_DIR={pybind11.get_cmake_dir()}",
                f"-DCMAKE_LIBRARY_OUTPUT_DIRECTORY={target.parent}",
                "-DCMAKE_BUILD_TYPE=Release",
            ],
            check=True,
        )
        subprocess.run(
            ["cmake", "--build", str(build_dir), "--parallel",
             os.environ.get("VARVE_BUILD_JOBS", "2")],
            check=True,
        )


setup(
    version=VERSION,
    ext_modules=[CMakeExtension("varve._engine")],
    cmdclass={"build_ext": CMakeBuild},
)
