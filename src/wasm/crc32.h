#ifndef VARVE_WASM_CRC32_H_
#define VARVE_WASM_CRC32_H_

// The CRC-32 that zip archives keep of each member (polynomial 0xEDB88320,
// reflected, inverted before and after), computed sixteen bytes at a time.

#include <cstdint>
#include <string_view>

namespace wasm {

/// The CRC-32 of the bytes `crc` is the CRC-32 of, followed by `bytes`; 0 starts one.
std::uint32_t crc32(std::uint32_t crc, std::string_view bytes);

}  // namespace wasm

#endif  // VARVE_WASM_CRC32_H_
