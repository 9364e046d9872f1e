// CZipArchive: the read-only zip reader behind skins and images kept in an
// archive file or in a memory block. It finds a member by name, tells its
// size and extracts it whole (stored or deflated, CRC-32 checked). A damaged
// or unsupported archive is refused with a reason and never read outside its
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Facet {

class CZipArchive {
public:
    CZipArchive() = default;
    ~CZipArchive() = default;
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opening first closes the archive that is open, so after a failed open
    // none is. Files are read into memory whole and closed again at once, so
    // the archive holds no file open. ZIP64 archives, archives split over
    // several parts and bytes before or after the archive are refused.
    bool OpenFile(const std::string& utf8Path);
    bool OpenFile(const std::wstring& path);
    // Borrows the block without copying: it must stay alive and unchanged
    // until Close(), the next open or the destruction of this object.
    bool OpenMemory(const void* data, std::size_t size);
    void Close();
    bool IsOpen() const { return data_ != nullptr; }

    int GetMemberCount() const { return static_cast<int>(members_.size()); }
    // The index of the first member, in central-directory order, whose name
    // equals `name` when ASCII letters are compared without case and '\' is
    // taken as '/'; -1 when there is none or no archive is open. The narrow
    // form takes the name in the bytes the archive stores (UTF-8 when the
    // member is marked so). The wide form suits every member: names marked
    // as UTF-8 are read as UTF-8, others as the ANSI code page on Windows and
    // as UTF-8 elsewhere.
    int FindMember(std::string_view name) const;
    int FindMember(std::wstring_view name) const;
    // The name as stored (a directory ends in '/'); empty for a bad index.
    // The reference lasts until the archive is closed or another is opened.
    const std::string& GetMemberName(int index) const;
    // The size the central directory declares; 0 for a bad index.
    std::uint32_t GetUncompressedSize(int index) const;

    // Writes the whole member, GetUncompressedSize(index) bytes, to `buffer`,
    // which must hold at least that many. Only stored and deflated members
    // without encryption or ZIP64 fields are read. On failure the buffer's
    // contents are unspecified and GetLastError() says why.
    bool Extract(int index, void* buffer, std::size_t capacity);
    // The same into a vector sized to the member; `out` is untouched on failure.
    bool Extract(int index, std::vector<std::uint8_t>& out);

    // Why the last open or extraction failed; empty after a success.
    const std::string& GetLastError() const { return lastError_; }

private:
    struct Member {
        std::string name;
        std::uint16_t flags = 0;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint32_t localHeaderOffset = 0;
    };

    bool OpenOwned(std::vector<std::uint8_t> bytes);
    bool ReadDirectory();
    bool ReadCentralEntries(std::size_t offset, std::size_t end, std::uint16_t count);
    bool FindData(const Member& member, const std::uint8_t*& data);
    bool CheckExtractable(int index, const std::uint8_t*& data);
    bool Decode(const Member& member, const std::uint8_t* data, std::uint8_t* out);
    bool Fail(std::string reason);

    std::vector<std::uint8_t> owned_;  // the bytes of an archive read from a file
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t directoryOffset_ = 0;  // member data must end before this
    std::vector<Member> members_;
    std::string lastError_;
};

}  // namespace Facet
