// Opening an archive and reading its central directory, member look-up, and
// extraction with zlib's CRC-32 check. Every field read from the archive is
// range-checked against the archive's bytes before it is used.
#include "facet/render/zip_archive.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "facet/render/zip_inflate.h"
#include "facet/render/zip_names.h"

namespace Facet {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;    // "PK\3\4"
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;  // "PK\1\2"
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;      // "PK\5\6"
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;   // "PK\6\7"
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kMaxCommentSize = 0xFFFF;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;  // sizes and CRC follow the data
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::uint16_t kFlagUtf8Name = 0x0800;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint32_t kZip64Marker = 0xFFFFFFFF;

// Deflate spends at least two bits on a 258-byte match, so no valid stream
// inflates to more than 1032 times its size. A declared size beyond that is a
// lie, refused before memory is set aside for it.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
#ifdef _WIN32
    return ::_fseeki64(file, offset, origin) == 0;
#else
    return ::fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
    return ::_ftelli64(file);
#else
    return ::ftello(file);
#endif
}

// Null on success, else why the file could not be read.
const char* ReadWholeFile(std::FILE* file, std::vector<std::uint8_t>& bytes) {
    if (!SeekFile(file, 0, SEEK_END)) return "cannot read the archive file";
    const std::int64_t length = TellFile(file);
    if (length < 0 || !SeekFile(file, 0, SEEK_SET)) return "cannot read the archive file";
    // Without ZIP64 every offset is 32-bit, so a larger file is not an archive
    // this reader could read.
    if (static_cast<std::uint64_t>(length) > std::numeric_limits<std::uint32_t>::max())
        return "the file is too large for an archive without ZIP64";
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return "not enough memory for the archive";
    }
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return "cannot read the archive file";
    return nullptr;
}

}  // namespace

bool CZipArchive::OpenFile(const std::string& utf8Path) {
#ifdef _WIN32
    std::wstring wide;
    if (!ZipNames::Utf8ToWide(utf8Path, wide)) {
        Close();
        return Fail("the path is not valid UTF-8");
    }
    return OpenFile(wide);
#else
    Close();
    FilePtr file(std::fopen(utf8Path.c_str(), "rb"));
    if (!file) return Fail("cannot open the archive file");
    std::vector<std::uint8_t> bytes;
    if (const char* reason = ReadWholeFile(file.get(), bytes)) return Fail(reason);
    return OpenOwned(std::move(bytes));
#endif
}

bool CZipArchive::OpenFile(const std::wstring& path) {
#ifdef _WIN32
    Close();
    FilePtr file(::_wfopen(path.c_str(), L"rb"));
    if (!file) return Fail("cannot open the archive file");
    std::vector<std::uint8_t> bytes;
    if (const char* reason = ReadWholeFile(file.get(), bytes)) return Fail(reason);
    return OpenOwned(std::move(bytes));
#else
    std::string utf8;
    if (!ZipNames::WideToUtf8(path, utf8)) {
        Close();
        return Fail("the path is not valid Unicode");
    }
    return OpenFile(utf8);
#endif
}

bool CZipArchive::OpenMemory(const void* data, std::size_t size) {
    Close();
    if (!data && size != 0) return Fail("no memory block given");
    data_ = static_cast<const std::uint8_t*>(data);
    size_ = size;
    if (ReadDirectory()) return true;
    Close();
    return false;
}

bool CZipArchive::OpenOwned(std::vector<std::uint8_t> bytes) {
    owned_ = std::move(bytes);
    data_ = owned_.data();
    size_ = owned_.size();
    if (ReadDirectory()) return true;
    Close();
    return false;
}

void CZipArchive::Close() {
    owned_.clear();
    owned_.shrink_to_fit();
    data_ = nullptr;
    size_ = 0;
    directoryOffset_ = 0;
    members_.clear();
}

bool CZipArchive::Fail(std::string reason) {
    lastError_ = std::move(reason);
    return false;
}

// The end record is the last 22 bytes before a comment of at most 65,535
// bytes, so it begins within the last 65,557 bytes. Searching backwards and
// asking that its comment reach exactly to the end skips a signature that
// merely appears inside the comment.
bool CZipArchive::ReadDirectory() {
    lastError_.clear();
    if (size_ < kEndRecordSize) return Fail("too short to be a zip archive");

    const std::size_t lowest = size_ > kEndRecordSize + kMaxCommentSize
                                   ? size_ - (kEndRecordSize + kMaxCommentSize)
                                   : 0;
    std::size_t end = size_ - kEndRecordSize;
    for (;; --end) {
        const std::uint8_t* p = data_ + end;
        if (Read32(p) == kEndRecordSignature && end + kEndRecordSize + Read16(p + 20) == size_)
            break;
        if (end == lowest) return Fail("no end of central directory record");
    }

    const std::uint8_t* record = data_ + end;
    if (end >= kZip64LocatorSize && Read32(record - kZip64LocatorSize) == kZip64LocatorSignature)
        return Fail("ZIP64 archives are not supported");
    const std::uint16_t thisDisk = Read16(record + 4);
    const std::uint16_t directoryDisk = Read16(record + 6);
    const std::uint16_t entriesHere = Read16(record + 8);
    const std::uint16_t entries = Read16(record + 10);
    const std::uint32_t directorySize = Read32(record + 12);
    const std::uint32_t directoryOffset = Read32(record + 16);
    if (directorySize == kZip64Marker || directoryOffset == kZip64Marker)
        return Fail("ZIP64 archives are not supported");
    if (thisDisk != 0 || directoryDisk != 0 || entriesHere != entries)
        return Fail("archives in several parts are not supported");
    // The directory must end where the end record begins; anything else means
    // lying offsets or bytes before the archive, and either way the recorded
    // offsets could not be trusted.
    if (static_cast<std::uint64_t>(directoryOffset) + directorySize != end)
        return Fail("the central directory is not where the end record says");

    directoryOffset_ = directoryOffset;
    return ReadCentralEntries(directoryOffset, end, entries);
}

bool CZipArchive::ReadCentralEntries(std::size_t offset, std::size_t end, std::uint16_t count) {
    std::vector<Member> members;
    members.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        if (end - offset < kCentralHeaderSize) return Fail("the central directory is cut short");
        const std::uint8_t* p = data_ + offset;
        if (Read32(p) != kCentralHeaderSignature) return Fail("a central directory entry is damaged");
        const std::size_t variable =
            static_cast<std::size_t>(Read16(p + 28)) + Read16(p + 30) + Read16(p + 32);
        if (end - offset - kCentralHeaderSize < variable)
            return Fail("the central directory is cut short");

        Member member;
        member.flags = Read16(p + 8);
        member.method = Read16(p + 10);
        member.crc = Read32(p + 16);
        member.compressedSize = Read32(p + 20);
        member.uncompressedSize = Read32(p + 24);
        member.localHeaderOffset = Read32(p + 42);
        member.name.assign(reinterpret_cast<const char*>(p + kCentralHeaderSize), Read16(p + 28));
        members.push_back(std::move(member));
        offset += kCentralHeaderSize + variable;
    }
    if (offset != end) return Fail("the central directory is larger than its entries");
    members_ = std::move(members);
    return true;
}

int CZipArchive::FindMember(std::string_view name) const {
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (ZipNames::Match(name, members_[i].name)) return static_cast<int>(i);
    }
    return -1;
}

// Names not marked as UTF-8 are in the ANSI code page on Windows. They are
// compared as UTF-16 there, because folding their bytes would also fold the
// second byte of a double-byte character (code page 936 uses 0x40 to 0x7E).
int CZipArchive::FindMember(std::wstring_view name) const {
    std::string utf8;
    const bool haveUtf8 = ZipNames::WideToUtf8(name, utf8);
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const Member& member = members_[i];
#ifdef _WIN32
        if (!(member.flags & kFlagUtf8Name)) {
            std::wstring stored;
            if (ZipNames::AnsiToWide(member.name, stored) && ZipNames::Match(name, stored))
                return static_cast<int>(i);
            continue;
        }
#endif
        if (haveUtf8 && ZipNames::Match(utf8, member.name)) return static_cast<int>(i);
    }
    return -1;
}

const std::string& CZipArchive::GetMemberName(int index) const {
    static const std::string kNone;
    if (index < 0 || index >= GetMemberCount()) return kNone;
    return members_[static_cast<std::size_t>(index)].name;
}

std::uint32_t CZipArchive::GetUncompressedSize(int index) const {
    if (index < 0 || index >= GetMemberCount()) return 0;
    return members_[static_cast<std::size_t>(index)].uncompressedSize;
}

bool CZipArchive::Extract(int index, void* buffer, std::size_t capacity) {
    const std::uint8_t* data = nullptr;
    if (!CheckExtractable(index, data)) return false;
    const Member& member = members_[static_cast<std::size_t>(index)];
    if (capacity < member.uncompressedSize) return Fail("the buffer is smaller than the member");
    if (!buffer && member.uncompressedSize != 0) return Fail("no buffer given");
    return Decode(member, data, static_cast<std::uint8_t*>(buffer));
}

bool CZipArchive::Extract(int index, std::vector<std::uint8_t>& out) {
    const std::uint8_t* data = nullptr;
    if (!CheckExtractable(index, data)) return false;
    const Member& member = members_[static_cast<std::size_t>(index)];
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(member.uncompressedSize);
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory for the member");
    }
    if (!Decode(member, data, bytes.data())) return false;
    out.swap(bytes);
    return true;
}

// Everything that can be known about a member before its data is decoded,
// including where its data lies. Checked before the caller's memory is used.
bool CZipArchive::CheckExtractable(int index, const std::uint8_t*& data) {
    lastError_.clear();
    if (!IsOpen()) return Fail("no archive is open");
    if (index < 0 || index >= GetMemberCount()) return Fail("no such member");
    const Member& member = members_[static_cast<std::size_t>(index)];
    if (member.flags & (kFlagEncrypted | kFlagStrongEncryption))
        return Fail("encrypted members are not supported");
    if (member.compressedSize == kZip64Marker || member.uncompressedSize == kZip64Marker ||
        member.localHeaderOffset == kZip64Marker)
        return Fail("ZIP64 members are not supported");
    if (member.method == kMethodStored) {
        if (member.compressedSize != member.uncompressedSize)
            return Fail("a stored member's sizes disagree");
    } else if (member.method == kMethodDeflated) {
        if (member.uncompressedSize > kMaxDeflateRatio * member.compressedSize)
            return Fail("the member's declared size is impossible for its compressed size");
    } else {
        return Fail("compression method " + std::to_string(member.method) + " is not supported");
    }
    return FindData(member, data);
}

// The central directory is the authority; the local header is read only to
// learn where the data begins, and must agree with the directory on what it
// repeats, or the archive is not what it claims to be.
bool CZipArchive::FindData(const Member& member, const std::uint8_t*& data) {
    const std::size_t offset = member.localHeaderOffset;
    if (offset > directoryOffset_ || directoryOffset_ - offset < kLocalHeaderSize)
        return Fail("the member's local header lies outside the archive");
    const std::uint8_t* p = data_ + offset;
    if (Read32(p) != kLocalHeaderSignature) return Fail("the member's local header is damaged");
    const std::uint16_t flags = Read16(p + 6);
    const std::uint16_t nameLength = Read16(p + 26);
    const std::uint16_t extraLength = Read16(p + 28);
    const std::uint64_t dataOffset =
        static_cast<std::uint64_t>(offset) + kLocalHeaderSize + nameLength + extraLength;
    if (dataOffset > directoryOffset_ || directoryOffset_ - dataOffset < member.compressedSize)
        return Fail("the member's data runs past the end of the archive");
    if (Read16(p + 8) != member.method || nameLength != member.name.size() ||
        std::memcmp(p + kLocalHeaderSize, member.name.data(), nameLength) != 0)
        return Fail("the local header disagrees with the central directory");
    if (!(flags & kFlagDataDescriptor) &&
        (Read32(p + 14) != member.crc || Read32(p + 18) != member.compressedSize ||
         Read32(p + 22) != member.uncompressedSize))
        return Fail("the local header disagrees with the central directory");
    data = data_ + static_cast<std::size_t>(dataOffset);
    return true;
}

bool CZipArchive::Decode(const Member& member, const std::uint8_t* data, std::uint8_t* out) {
    if (member.method == kMethodStored) {
        if (member.uncompressedSize != 0) std::memcpy(out, data, member.uncompressedSize);
    } else if (const char* reason =
                   InflateExactly(data, member.compressedSize, out, member.uncompressedSize)) {
        return Fail(reason);
    }
    const uLong crc = ::crc32(::crc32(0L, Z_NULL, 0), out, member.uncompressedSize);
    if (crc != member.crc) return Fail("CRC-32 mismatch: the member is damaged");
    return true;
}

}  // namespace Facet
