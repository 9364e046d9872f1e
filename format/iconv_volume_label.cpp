// Two iconv steps, one character at a time: the locale's encoding to UTF-32,
// then, once the label rule has had its say, each character to the code page,
// so the cut at 11 bytes falls on a character boundary whatever the code
// page's character widths are.
#include "format/iconv_volume_label.h"

#include <iconv.h>

#include <cstdint>
#include <cstring>

namespace fat32 {
namespace {

constexpr char kUnmappable = '_';
constexpr char32_t kNoCharacter = 0xFFFD;
constexpr unsigned kUtf8CodePage = 65001;

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    // Converts from `in` until the output space is used up or the input ends;
    // returns the bytes written, and advances `in` past what was taken.
    std::size_t Step(char*& in, std::size_t& inLeft, char* out, std::size_t outSize) {
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* next = out;
        std::size_t outLeft = outSize;
        ::iconv(handle_, &in, &inLeft, &next, &outLeft);
        return outSize - outLeft;
    }

private:
    iconv_t handle_;
};

bool IsPlainAscii(const std::string& text) {
    for (const unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// The text as code points; a byte that is no character becomes U+FFFD, and
// `whole` tells whether none did.
std::u32string Decode(Converter& decode, const std::string& text, bool& whole) {
    std::u32string wide;
    std::string input = text;
    char* in = &input[0];
    std::size_t inLeft = input.size();
    whole = true;
    while (inLeft > 0) {
        unsigned char one[4];
        if (decode.Step(in, inLeft, reinterpret_cast<char*>(one), sizeof one) != sizeof one) {
            ++in;
            --inLeft;
            wide += kNoCharacter;
            whole = false;
            continue;
        }
        wide += static_cast<char32_t>(one[0] | one[1] << 8 | one[2] << 16 |
                                      static_cast<std::uint32_t>(one[3]) << 24);
    }
    return wide;
}

std::string CodePageName(unsigned codePage) {
    return codePage == kUtf8CodePage ? "UTF-8" : "CP" + std::to_string(codePage);
}

}  // namespace

// glibc's name for the C locale's charset, and the others ASCII goes by.
bool IsAsciiCharset(const char* charset) {
    for (const char* name : {"ANSI_X3.4-1968", "ASCII", "US-ASCII", "646"})
        if (std::strcmp(charset, name) == 0) return true;
    return false;
}

LabelConversion ConvertVolumeLabel(const std::string& text, const char* fromCharset,
                                   unsigned codePage, BadLabelCharacter bad) {
    LabelConversion result;
    const bool utf8InAscii = IsAsciiCharset(fromCharset) && !IsPlainAscii(text);
    Converter decode("UTF-32LE", utf8InAscii ? "UTF-8" : fromCharset);
    Converter encode(CodePageName(codePage).c_str(), "UTF-32LE");
    if (!decode.Valid() || !encode.Valid()) {
        result.known = false;
        return result;
    }
    bool whole = true;
    const std::u32string decoded = Decode(decode, text, whole);
    // A byte that is no character of the charset the text claims is refused,
    // not stored as '_': the text is in some other encoding, and one '_' per
    // byte would store a label nobody typed.
    if (!whole) {
        result.undecodable = true;
        return result;
    }
    const std::u32string label = ApplyFatLabelRule(decoded, bad, result.forbidden, result.repaired);
    if (result.forbidden) return result;
    for (const char32_t c : label) {
        char wide[4];
        for (int i = 0; i < 4; ++i) wide[i] = static_cast<char>(c >> (8 * i));
        char narrow[8];
        char* one = wide;
        std::size_t oneLeft = sizeof wide;
        std::size_t length = c == kNoCharacter ? 0 : encode.Step(one, oneLeft, narrow, sizeof narrow);
        if (length == 0) {
            narrow[0] = kUnmappable;
            length = 1;
            result.replaced = true;
        }
        if (result.bytes.size() + length > kLabelFieldBytes) {
            result.cut = true;
            break;
        }
        result.bytes.append(narrow, length);
    }
    return result;
}

}  // namespace fat32
