// Raw deflate (no zlib or gzip wrapper), as zip members hold it, inflated by
// zlib into a block of exactly the size the archive declares.
#pragma once

#include <cstdint>

namespace Facet {

// Inflates `inputSize` bytes at `input` into `outputSize` bytes at `output`
// (which may be null when `outputSize` is 0). Succeeds, returning null, only
// when the stream ends exactly at the end of both; otherwise returns why not.
const char* InflateExactly(const std::uint8_t* input, std::uint32_t inputSize,
                           std::uint8_t* output, std::uint32_t outputSize);

}  // namespace Facet
