// Robustness: 12,000 deterministic mutations of the application's skin (bits
// flipped, markup characters planted, cuts, spans removed, duplicated or
// moved, encodings swapped). Each mutant, in a block of exactly its size,
// either loads into a tree whose every text can be read whole, or is refused
// with one of the parser's messages; none may crash or read past its block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "markup_test_support.h"

namespace Facet {
namespace {

using namespace MarkupTest;

constexpr int kMutants = 12000;

const wchar_t* const kMessages[] = {
    L"Expected start tag", L"Error parsing element name", L"Expected start-tag closing",
    L"Expected end-tag start", L"Unmatched closing tag", L"Error while parsing attributes",
    L"Expected attribute value", L"Error while parsing attribute string", L"Expected byte-order mark",
};

// A generator with the same sequence on every platform and library, which
// std::uniform_int_distribution does not promise.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return bound ? static_cast<std::size_t>(Next() % bound) : 0; }

private:
    std::uint64_t state_;
};

// Bytes that steer the parser, planted where they do the most harm.
const std::uint8_t kSignificant[] = {'<', '>', '/', '"', '=', '&', '!', '?', '\'', ' ', '-', ';', 0, 0xFF, 0xFE, 0xEF, 0xC3, 0x80};
const char* const kSnippets[] = {"<", "</", "/>", ">", "=\"", "\"", "&amp;", "&lt", "<!--", "-->", "<?", "?>", "<a", "</Window>"};

struct Mutant {
    Bytes bytes;
    int encoding = CMarkup::kEncodingUtf8;
};

// Positions and lengths are whole multiples of `unit`, so that most damage
// to UTF-16 text hits characters rather than shifting every unit after it.
void MutateBytes(Bytes& bytes, SplitMix64& rng, std::size_t unit) {
    const std::size_t size = bytes.size();
    const auto position = [&](std::size_t bound) { return rng.Below(bound / unit + 1) * unit; };
    const auto length = [&](std::size_t most) { return (1 + rng.Below(most)) * unit; };
    switch (rng.Below(8)) {
        case 0:  // flip bits
            for (std::size_t n = 1 + rng.Below(4); n > 0 && size > 0; --n) bytes[rng.Below(size)] ^= 1u << rng.Below(8);
            break;
        case 1: {  // plant a markup character
            const std::size_t at = position(size - std::min(size, unit));
            if (at + unit > size) break;
            for (std::size_t i = 0; i < unit; ++i) bytes[at + i] = 0;
            // Little-endian units have the character first; big-endian ones, marked FE FF, last.
            const bool bigEndian = unit == 2 && size >= 2 && bytes[0] == 0xFE;
            bytes[bigEndian ? at + unit - 1 : at] = kSignificant[rng.Below(sizeof kSignificant)];
            break;
        }
        case 2:  // cut
            bytes.resize(std::min(size, position(size)));
            break;
        case 3: {  // remove a span
            const std::size_t at = std::min(size, position(size));
            const std::size_t count = std::min(size - at, length(32));
            bytes.erase(bytes.begin() + at, bytes.begin() + at + count);
            break;
        }
        case 4:    // duplicate a span in place
        case 5: {  // or copy it elsewhere
            const std::size_t from = std::min(size, position(size));
            const std::size_t count = std::min(size - from, length(100));
            const Bytes span(bytes.begin() + from, bytes.begin() + from + count);
            const std::size_t to = rng.Below(2) == 0 ? from : std::min(size, position(size));
            bytes.insert(bytes.begin() + to, span.begin(), span.end());
            break;
        }
        case 6: {  // replace a span with a piece of markup, as UTF-8 bytes even in UTF-16
            const std::string snippet = kSnippets[rng.Below(sizeof kSnippets / sizeof kSnippets[0])];
            const std::size_t at = std::min(size, position(size));
            const std::size_t count = std::min(size - at, rng.Below(8));
            bytes.erase(bytes.begin() + at, bytes.begin() + at + count);
            bytes.insert(bytes.begin() + at, snippet.begin(), snippet.end());
            break;
        }
        default:  // overwrite a byte with anything
            if (size > 0) bytes[rng.Below(size)] = static_cast<std::uint8_t>(rng.Next());
            break;
    }
}

// The skin in one of the encodings, damaged once (in a quarter of the cases
// three times), and in another quarter handed over under another encoding
// than its own.
Mutant MakeMutant(const Bytes& skin, SplitMix64& rng) {
    Mutant mutant;
    switch (rng.Below(4)) {
        case 0: mutant.bytes = Utf8ToUtf16(skin, false); mutant.encoding = CMarkup::kEncodingUtf16; break;
        case 1: mutant.bytes = Utf8ToUtf16(skin, true); mutant.encoding = CMarkup::kEncodingUtf16; break;
        default: mutant.bytes = skin; break;
    }
    // A quarter of the UTF-16 damage ignores unit boundaries.
    const std::size_t unit = mutant.encoding == CMarkup::kEncodingUtf16 && rng.Below(4) != 0 ? 2 : 1;
    for (std::size_t n = rng.Below(4) == 0 ? 3 : 1; n > 0; --n) MutateBytes(mutant.bytes, rng, unit);
    if (rng.Below(4) == 0) {
        switch (rng.Below(4)) {
            case 0: mutant.encoding = CMarkup::kEncodingUtf8; break;
            case 1: mutant.encoding = CMarkup::kEncodingAnsi; break;
            case 2: mutant.encoding = CMarkup::kEncodingUtf16; break;
            default:  // a mark in front of whatever the bytes are
                mutant.bytes.insert(mutant.bytes.begin(), {0xFE, 0xFF});
                mutant.encoding = CMarkup::kEncodingUtf16;
                break;
        }
    }
    return mutant;
}

// Reads every text of every element once, without recursion, and checks the
// links agree. Returns the number of elements.
int WalkDocument(const CMarkup& markup) {
    int elements = 0;
    std::size_t units = 0;
    std::vector<CMarkupNode> pending;
    for (CMarkupNode top = markup.GetRoot(); top.IsValid(); top = top.GetSibling()) pending.push_back(top);
    while (!pending.empty()) {
        const CMarkupNode node = pending.back();
        pending.pop_back();
        ++elements;
        EXPECT_NE(node.GetName(), nullptr);
        units += std::wcslen(node.GetName()) + std::wcslen(node.GetValue());
        const int count = node.GetAttributeCount();
        EXPECT_LE(count, CMarkupNode::kMaxAttributes);
        for (int i = 0; i < count; ++i) {
            units += std::wcslen(node.GetAttributeName(i)) + std::wcslen(node.GetAttributeValue(i));
            EXPECT_TRUE(node.HasAttribute(node.GetAttributeName(i)));
        }
        for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
            EXPECT_EQ(child.GetParent().GetName(), node.GetName());
            pending.push_back(child);
        }
    }
    EXPECT_LT(units, 1u << 24);  // the sum is used, so no read is optimised away
    return elements;
}

class MarkupMutation : public ::testing::Test {
protected:
    static bool IsParserMessage(const std::wstring& message) {
        for (const wchar_t* known : kMessages) {
            if (message == known) return true;
        }
        return false;
    }
};

TEST_F(MarkupMutation, EveryDamagedSkinLoadsOrIsRefusedWithAParserMessage) {
    const Bytes skin = ReadFileBytes(SkinPath());
    ASSERT_FALSE(skin.empty()) << "cannot read " << SkinPath();

    SplitMix64 rng(0x5EED0154);
    std::map<std::wstring, int> outcomes;
    for (int i = 0; i < kMutants; ++i) {
        const Mutant mutant = MakeMutant(skin, rng);
        CMarkup markup;
        markup.SetPreserveWhitespace(i % 3 != 0);
        if (LoadBytes(markup, mutant.bytes, mutant.encoding)) {
            WalkDocument(markup);
            ++outcomes[L"(loaded)"];
        } else {
            const std::wstring message = ErrorMessage(markup);
            ASSERT_TRUE(IsParserMessage(message)) << "mutant " << i << ": \"" << std::string(message.begin(), message.end()) << "\"";
            EXPECT_LT(ErrorLocation(markup).size(), CMarkup::kErrorLocationUnits);
            EXPECT_FALSE(markup.IsValid());
            EXPECT_FALSE(markup.GetRoot().IsValid());
            ++outcomes[message];
        }
        if (HasFailure()) {
            ADD_FAILURE() << "first failing mutant: " << i;
            return;
        }
    }

    for (const auto& [outcome, count] : outcomes)
        std::cout << "  " << std::string(outcome.begin(), outcome.end()) << ": " << count << "\n";
    // Both outcomes must be common, or the mutations test too little.
    EXPECT_GT(outcomes[L"(loaded)"], kMutants / 10);
    EXPECT_GT(kMutants - outcomes[L"(loaded)"], kMutants / 10);
}

}  // namespace
}  // namespace Facet
