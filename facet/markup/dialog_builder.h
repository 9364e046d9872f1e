// CDialogBuilder turns a skin document into a control tree: it registers the
// document's images, fonts and default attribute lists with a paint manager,
// applies the root Window's attributes to it, and creates one control per
// element through the built-in tag table, the plug-ins and a caller callback.
#pragma once

#include <windows.h>

#include <cstddef>

#include "facet/markup/markup.h"
#include "facet/render/string_or_id.h"

namespace Facet {

class CControlUI;
class CPaintManagerUI;

class IDialogBuilderCallback {
public:
    // A new control for a tag the built-in table does not know, or null.
    virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CDialogBuilder {
public:
    CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // Loads the skin from a resource of `type` (an id), XML text (starting
    // with '<') or a file name, then builds it. Null when loading fails or
    // nothing is built at the top level.
    CControlUI* Create(STRINGorID xml, const wchar_t* type = nullptr,
                       IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    // Builds from the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);

    CMarkup* GetMarkup();

    void GetLastErrorMessage(wchar_t* pstrMessage, std::size_t cchMax) const;
    void GetLastErrorLocation(wchar_t* pstrSource, std::size_t cchMax) const;

private:
    bool LoadFromResource(WORD id, const wchar_t* type);
    void RegisterSharedResources(CMarkupNode& root, CPaintManagerUI* pManager);
    static void ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager);
    void ParseInclude(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* CreateControlFor(const wchar_t* pstrClass);

    CControlUI* _Parse(CMarkupNode* parent, CControlUI* pParent = nullptr,
                       CPaintManagerUI* pManager = nullptr);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback;
    const wchar_t* m_pstrtype;
};

}  // namespace Facet
