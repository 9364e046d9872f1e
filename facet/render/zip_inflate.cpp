// zlib's inflate in a typed owner, driven so that a stream which does not fit
// the declared size exactly is refused without writing past the output block.
#include "facet/render/zip_inflate.h"

#include <zlib.h>

namespace Facet {
namespace {

// zlib's stream state, ended on every path out of an inflation.
class InflateStream {
public:
    InflateStream() { ready_ = ::inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~InflateStream() {
        if (ready_) ::inflateEnd(&stream_);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    bool ready() const { return ready_; }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

}  // namespace

// When the output fills before the stream ends, one more byte of room tells a
// stream that had only its end marker left from one that inflates to more
// than its header says.
const char* InflateExactly(const std::uint8_t* input, std::uint32_t inputSize,
                           std::uint8_t* output, std::uint32_t outputSize) {
    InflateStream inflater;
    if (!inflater.ready()) return "zlib could not start inflating";
    z_stream* stream = inflater.get();
    std::uint8_t probe = 0;
    stream->next_in = const_cast<Bytef*>(input);  // zlib's input is not const in its older API
    stream->avail_in = inputSize;
    // zlib refuses a null output pointer even for zero bytes.
    stream->next_out = outputSize ? output : &probe;
    stream->avail_out = outputSize;
    bool probing = false;
    for (;;) {
        const int status = ::inflate(stream, Z_FINISH);
        if (status == Z_STREAM_END) break;
        if (status == Z_MEM_ERROR) return "not enough memory to inflate the member";
        if (status != Z_OK && status != Z_BUF_ERROR) return "the compressed data is damaged";
        if (stream->avail_out == 0) {
            if (probing) return "the member inflates to more than its declared size";
            probing = true;
            stream->next_out = &probe;
            stream->avail_out = 1;
        } else if (stream->avail_in == 0) {
            return "the compressed data ends early";
        }
    }
    if (stream->total_out > outputSize) return "the member inflates to more than its declared size";
    if (stream->total_out < outputSize) return "the member inflates to less than its declared size";
    if (stream->avail_in != 0) return "the compressed size is larger than the compressed data";
    return nullptr;
}

}  // namespace Facet
