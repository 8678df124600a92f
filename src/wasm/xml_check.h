#ifndef VARVE_WASM_XML_CHECK_H_
#define VARVE_WASM_XML_CHECK_H_

// The well-formedness check of a workbook part the page has rewritten, run
// before the workbook is offered for download, so that nothing damaged ever
// is: the part's bytes as one XML document in UTF-8.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wasm {

/// The check below fed a piece at a time: the same verdict, fault and line
/// for any split of the document into pieces.
class XmlCheck {
 public:
  /// A check that has read nothing.
  XmlCheck();
  /// Drops the check's state.
  ~XmlCheck();
  /// Takes another check's state.
  XmlCheck(XmlCheck&&) noexcept;
  /// Takes another check's state.
  XmlCheck& operator=(XmlCheck&&) noexcept;

  /// Checks what can be decided of `document`, all the bytes given so far
  /// (earlier ones unchanged, perhaps moved), whatever follows.
  void feed(std::string_view document);
  /// Checks the rest of the whole `document`: xml_fault's verdict.
  std::optional<std::string> finish(std::string_view document);

 private:
  struct Reader;
  std::unique_ptr<Reader> reader_;
};

/// Why `document` (UTF-8 bytes) is not a well-formed XML document with
/// well-formed namespaces, with the line it is on; none when it is.
std::optional<std::string> xml_fault(std::string_view document);

}  // namespace wasm

#endif  // VARVE_WASM_XML_CHECK_H_
