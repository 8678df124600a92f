#ifndef VARVE_WASM_XML_CHECK_H_
#define VARVE_WASM_XML_CHECK_H_

// The well-formedness check of a workbook part the page has rewritten, run
// before the workbook is offered for download, so that nothing damaged ever
// is: the part's bytes as one XML document in UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace wasm {

/// Why `document` (UTF-8 bytes) is not a well-formed XML document with
/// well-formed namespaces, with the line it is on; none when it is.
std::optional<std::string> xml_fault(std::string_view document);

}  // namespace wasm

#endif  // VARVE_WASM_XML_CHECK_H_
