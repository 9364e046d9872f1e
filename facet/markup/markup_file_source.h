// CMarkupFileSource: where CMarkup::LoadFromFile finds a skin document's bytes,
// either a file under the resource path or a member of the resource zip (the
// paint manager's cached archive, or the archive file opened for one load).
// Each refusal is one of the parser's error messages.
#pragma once

#include <windows.h>

#include "facet/core/dui_string.h"

namespace Facet {

class CZipArchive;

class CMarkupFileSource {
public:
    // Markup above this size is refused, from a file or a zip member alike.
    static constexpr DWORD kMaxSkinBytes = 4u * 1024 * 1024;

    // The settings a load reads its document by.
    struct Location {
        CDuiString resourcePath;  // prefix of the file or archive name
        CDuiString zipName;       // empty when skins are plain files
        // The archive kept open for all loads, or null to open the one at
        // resourcePath + zipName for this load. Not owned.
        CZipArchive* cachedArchive = nullptr;
    };

    // A C-heap block of exactly `size` bytes, freed with its owner.
    struct Block {
        Block() = default;
        ~Block();
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;

        BYTE* data = nullptr;
        DWORD size = 0;
    };

    // The paint manager's resource path, zip name and cached archive now.
    static Location CurrentLocation();

    // Reads the document `name` (null reads as empty) into `out`. Returns null
    // on success, else the error message; `out` is then left empty. A file or
    // an archive opened here is closed again before returning.
    static const wchar_t* Read(const Location& location, const wchar_t* name, Block* out);

private:
    static const wchar_t* ReadFile(const CDuiString& path, Block* out);
    static const wchar_t* ReadZipMember(CZipArchive& archive, const wchar_t* name, Block* out);
};

}  // namespace Facet
