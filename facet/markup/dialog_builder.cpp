// The builder's loading, shared-resource registration, root attributes and the
// recursive walk that creates, attaches and configures one control per element.
#include "facet/markup/dialog_builder.h"

#include <cstdlib>
#include <cwchar>

#include "facet/controls/button_ui.h"
#include "facet/controls/check_box_ui.h"
#include "facet/controls/container_ui.h"
#include "facet/controls/combo_ui.h"
#include "facet/controls/control_ui.h"
#include "facet/controls/horizontal_layout_ui.h"
#include "facet/controls/label_ui.h"
#include "facet/controls/list_label_element_ui.h"
#include "facet/controls/option_ui.h"
#include "facet/controls/progress_ui.h"
#include "facet/controls/scroll_bar_ui.h"
#include "facet/controls/slider_ui.h"
#include "facet/controls/tab_layout_ui.h"
#include "facet/controls/vertical_layout_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

template <class T>
CControlUI* Make() {
    return new T;
}

struct TagEntry {
    std::size_t length;
    const wchar_t* name;
    CControlUI* (*create)();  // null: the class is not part of this build
};

// Looked up by length first, then in this order. Controls this build does not
// have stay listed so the table reads as the markup language defines it; their
// tags fall through to the plug-ins and the callback.
const TagEntry kTagTable[] = {
    {4, L"Edit", nullptr},
    {4, L"List", nullptr},
    {4, L"Text", nullptr},
    {5, L"Combo", &Make<CComboUI>},
    {5, L"Label", &Make<CLabelUI>},
    {6, L"Button", &Make<CButtonUI>},
    {6, L"Option", &Make<COptionUI>},
    {6, L"Slider", &Make<CSliderUI>},
    {7, L"Control", &Make<CControlUI>},
    {7, L"ActiveX", nullptr},
    {8, L"Progress", &Make<CProgressUI>},
    {8, L"RichEdit", nullptr},
    {8, L"CheckBox", &Make<CCheckBoxUI>},
    {8, L"ComboBox", nullptr},
    {8, L"DateTime", nullptr},
    {8, L"TreeView", nullptr},
    {9, L"Container", &Make<CContainerUI>},
    {9, L"TabLayout", &Make<CTabLayoutUI>},
    {9, L"ScrollBar", &Make<CScrollBarUI>},
    {10, L"ListHeader", nullptr},
    {10, L"TileLayout", nullptr},
    {10, L"WebBrowser", nullptr},
    {11, L"ChildLayout", nullptr},
    {14, L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {14, L"ListHeaderItem", nullptr},
    {15, L"ListTextElement", nullptr},
    {16, L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {16, L"ListLabelElement", &Make<CListLabelElementUI>},
    {20, L"ListContainerElement", nullptr},
};

CControlUI* CreateBuiltIn(const wchar_t* pstrClass) {
    const std::size_t length = std::wcslen(pstrClass);
    for (const TagEntry& entry : kTagTable) {
        if (entry.length != length || std::wcscmp(entry.name, pstrClass) != 0) continue;
        return entry.create ? entry.create() : nullptr;
    }
    return nullptr;
}

// Reads `count` comma-separated decimals. The separator after each number is
// skipped without looking at it, but never past the end of the text: a value
// with too few numbers leaves the rest 0 instead of reading beyond it.
void ReadNumbers(const wchar_t* value, long* out, int count) {
    const wchar_t* p = value;
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        out[i] = std::wcstol(p, &end, 10);
        p = end;
        if (*p == L'\0') {
            for (++i; i < count; ++i) out[i] = 0;
            return;
        }
        ++p;
    }
}

SIZE ReadPair(const wchar_t* value) {
    long v[2];
    ReadNumbers(value, v, 2);
    return SIZE{v[0], v[1]};
}

RECT ReadRect(const wchar_t* value) {
    long v[4];
    ReadNumbers(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

DWORD ReadColor(const wchar_t* value) {
    if (*value == L'#') ++value;
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 16));
}

// The node answers an empty text for a missing attribute; the registration
// rules need to tell "absent" from "empty".
const wchar_t* FindAttribute(const CMarkupNode& node, const wchar_t* name) {
    return node.HasAttribute(name) ? node.GetAttributeValue(name) : nullptr;
}

bool IsTrue(const wchar_t* value) { return value && std::wcscmp(value, L"true") == 0; }

// An Include that names its own document (directly or through others) would
// recurse until the stack runs out; nesting this deep is taken as such a loop.
constexpr int kMaxIncludeDepth = 32;
// A document including itself twice at every level stays within the depth
// limit yet doubles its work per level; so one Include repeats at most this
// often, and one build reads at most this many included documents.
constexpr int kMaxIncludeCount = 100;
constexpr int kMaxIncludesPerBuild = 500;
// Every element level costs the walk a stack frame; real skins stay within
// a few dozen levels, and a deeper one is refused before the stack runs out.
constexpr int kMaxNestingDepth = 256;

// State of one outermost build, shared by the builders of its Includes.
struct BuildLimits {
    int active = 0;  // builds under way, nested ones included
    int includeDepth = 0;
    int includes = 0;
    int nesting = 0;
    bool tooDeep = false;
};
BuildLimits g_limits;

}  // namespace

CDialogBuilder::CDialogBuilder() : m_pCallback(nullptr), m_pstrtype(nullptr) {}

CControlUI* CDialogBuilder::Create(STRINGorID xml, const wchar_t* type,
                                   IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    if (xml.IsId()) {
        if (!LoadFromResource(xml.GetId(), type)) return nullptr;
        m_pstrtype = type;
    } else {
        // Includes of a text or file document are read as text or files, even
        // when this builder loaded a resource before.
        m_pstrtype = nullptr;
        if (!xml.m_lpstr) return nullptr;
        const bool loaded =
            xml.m_lpstr[0] == L'<' ? m_xml.Load(xml.m_lpstr) : m_xml.LoadFromFile(xml.m_lpstr, 0);
        if (!loaded) return nullptr;
    }
    return Create(pCallback, pManager, pParent);
}

bool CDialogBuilder::LoadFromResource(WORD id, const wchar_t* type) {
    if (!type) return false;
    HINSTANCE module = CPaintManagerUI::GetResourceDll();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource) return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    if (!loaded) return false;
    const DWORD size = ::SizeofResource(module, resource);
    BYTE* bytes = static_cast<BYTE*>(::LockResource(loaded));
    if (!bytes || size == 0) return false;
    // Resources are read-only mappings and need no release on Win32.
    return m_xml.LoadFromMem(bytes, size, 0);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    m_pCallback = pCallback;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;
    const bool outermost = g_limits.active == 0;
    if (outermost) g_limits = BuildLimits();
    ++g_limits.active;
    if (pManager) {
        RegisterSharedResources(root, pManager);
        if (std::wcscmp(root.GetName(), L"Window") == 0 && pManager->GetPaintWindow()) {
            ApplyWindowAttributes(root, pManager);
        }
    }
    // What the parent held before this build; a refused build takes away
    // everything it put there and leaves the rest of the parent's tree alone.
    IContainerUI* holder =
        pParent ? static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer")) : nullptr;
    const int held = holder ? holder->GetCount() : 0;
    CControlUI* result = _Parse(&root, pParent, pManager);
    --g_limits.active;
    if (outermost && g_limits.tooDeep) {
        // The whole skin is refused. Under a parent, the parent frees what
        // the build added as it removes it (once, by its own rules); a
        // top-level result is ours to free.
        if (holder) {
            while (holder->GetCount() > held) holder->RemoveAt(holder->GetCount() - 1);
        } else if (!pParent) {
            delete result;
        }
        result = nullptr;
    }
    return result;
}

void CDialogBuilder::RegisterSharedResources(CMarkupNode& root, CPaintManagerUI* pManager) {
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* tag = node.GetName();
        if (std::wcscmp(tag, L"Image") == 0) {
            const wchar_t* name = FindAttribute(node, L"name");
            const wchar_t* restype = FindAttribute(node, L"restype");
            const wchar_t* maskText = FindAttribute(node, L"mask");
            DWORD mask = 0;
            if (maskText) mask = ReadColor(maskText);
            if (name) pManager->AddImage(name, restype, mask);
        } else if (std::wcscmp(tag, L"Font") == 0) {
            const wchar_t* name = FindAttribute(node, L"name");
            const wchar_t* sizeText = FindAttribute(node, L"size");
            const int size = sizeText ? static_cast<int>(std::wcstol(sizeText, nullptr, 10)) : 12;
            const bool bold = IsTrue(FindAttribute(node, L"bold"));
            const bool underline = IsTrue(FindAttribute(node, L"underline"));
            const bool italic = IsTrue(FindAttribute(node, L"italic"));
            if (name) {
                pManager->AddFont(name, size, bold, underline, italic);
                if (IsTrue(FindAttribute(node, L"default"))) {
                    pManager->SetDefaultFont(name, size, bold, underline, italic);
                }
            }
        } else if (std::wcscmp(tag, L"Default") == 0) {
            const wchar_t* name = FindAttribute(node, L"name");
            const wchar_t* value = FindAttribute(node, L"value");
            if (name) pManager->AddDefaultAttributeList(name, value ? value : L"");
        }
    }
}

void CDialogBuilder::ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager) {
    const int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        const wchar_t* name = root.GetAttributeName(i);
        const wchar_t* value = root.GetAttributeValue(i);
        if (std::wcscmp(name, L"size") == 0) {
            const SIZE sz = ReadPair(value);
            pManager->SetInitSize(sz.cx, sz.cy);
        } else if (std::wcscmp(name, L"sizebox") == 0) {
            RECT rc = ReadRect(value);
            pManager->SetSizeBox(rc);
        } else if (std::wcscmp(name, L"caption") == 0) {
            RECT rc = ReadRect(value);
            pManager->SetCaptionRect(rc);
        } else if (std::wcscmp(name, L"roundcorner") == 0) {
            const SIZE sz = ReadPair(value);
            pManager->SetRoundCorner(sz.cx, sz.cy);
        } else if (std::wcscmp(name, L"mininfo") == 0) {
            const SIZE sz = ReadPair(value);
            pManager->SetMinInfo(sz.cx, sz.cy);
        } else if (std::wcscmp(name, L"maxinfo") == 0) {
            const SIZE sz = ReadPair(value);
            pManager->SetMaxInfo(sz.cx, sz.cy);
        } else if (std::wcscmp(name, L"showdirty") == 0) {
            pManager->SetShowUpdateRect(IsTrue(value));
        } else if (std::wcscmp(name, L"alpha") == 0) {
            pManager->SetTransparent(_wtoi(value));
        } else if (std::wcscmp(name, L"bktrans") == 0) {
            pManager->SetBackgroundTransparent(IsTrue(value));
        } else if (std::wcscmp(name, L"disabledfontcolor") == 0) {
            pManager->SetDefaultDisabledColor(ReadColor(value));
        } else if (std::wcscmp(name, L"defaultfontcolor") == 0) {
            pManager->SetDefaultFontColor(ReadColor(value));
        } else if (std::wcscmp(name, L"linkfontcolor") == 0) {
            pManager->SetDefaultLinkFontColor(ReadColor(value));
        } else if (std::wcscmp(name, L"linkhoverfontcolor") == 0) {
            pManager->SetDefaultLinkHoverFontColor(ReadColor(value));
        } else if (std::wcscmp(name, L"selectedcolor") == 0) {
            pManager->SetDefaultSelectedBkColor(ReadColor(value));
        }
    }
}

void CDialogBuilder::ParseInclude(CMarkupNode& node, CControlUI* pParent,
                                  CPaintManagerUI* pManager) {
    if (!node.HasAttributes()) return;
    constexpr std::size_t kSourceUnits = 500;
    wchar_t source[kSourceUnits] = L"";
    wchar_t countText[kSourceUnits] = L"";
    int count = 1;
    if (node.GetAttributeValue(L"count", countText, kSourceUnits)) {
        count = static_cast<int>(std::wcstol(countText, nullptr, 10));
    }
    if (!node.GetAttributeValue(L"source", source, kSourceUnits)) return;
    if (count <= 0 || g_limits.includeDepth >= kMaxIncludeDepth) return;
    if (count > kMaxIncludeCount) count = kMaxIncludeCount;
    ++g_limits.includeDepth;
    for (int i = 0; i < count && g_limits.includes < kMaxIncludesPerBuild && !g_limits.tooDeep;
         ++i) {
        ++g_limits.includes;
        CDialogBuilder nested;
        if (m_pstrtype) {
            const WORD id = static_cast<WORD>(std::wcstol(source, nullptr, 10));
            nested.Create(STRINGorID(static_cast<unsigned int>(id)), m_pstrtype, m_pCallback,
                          pManager, pParent);
        } else {
            nested.Create(STRINGorID(source), nullptr, m_pCallback, pManager, pParent);
        }
    }
    --g_limits.includeDepth;
}

CControlUI* CDialogBuilder::CreateControlFor(const wchar_t* pstrClass) {
    if (CControlUI* control = CreateBuiltIn(pstrClass)) return control;
    CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
    for (int i = 0; plugins && i < plugins->GetSize(); ++i) {
        auto factory = reinterpret_cast<LPCREATECONTROL>(plugins->GetAt(i));
        if (!factory) continue;
        if (CControlUI* control = factory(pstrClass)) return control;
    }
    if (m_pCallback) return m_pCallback->CreateControl(pstrClass);
    return nullptr;
}

CControlUI* CDialogBuilder::_Parse(CMarkupNode* pRoot, CControlUI* pParent,
                                   CPaintManagerUI* pManager) {
    IContainerUI* pContainer = nullptr;
    CControlUI* pReturn = nullptr;
    for (CMarkupNode node = pRoot->GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (g_limits.tooDeep) break;
        const wchar_t* pstrClass = node.GetName();
        if (std::wcscmp(pstrClass, L"Image") == 0 || std::wcscmp(pstrClass, L"Font") == 0 ||
            std::wcscmp(pstrClass, L"Default") == 0) {
            continue;
        }
        if (std::wcscmp(pstrClass, L"Include") == 0) {
            ParseInclude(node, pParent, pManager);
            continue;
        }
        // FIXME: this build has no tree view or tree node control, so a
        // TreeNode has nothing to attach to; it is skipped with its subtree.
        if (std::wcscmp(pstrClass, L"TreeNode") == 0) continue;

        CControlUI* pControl = CreateControlFor(pstrClass);
        if (!pControl) continue;

        if (node.HasChildren()) {
            if (g_limits.nesting >= kMaxNestingDepth) {
                g_limits.tooDeep = true;
                delete pControl;
                break;
            }
            ++g_limits.nesting;
            _Parse(&node, pControl, pManager);
            --g_limits.nesting;
        }

        if (pParent) {
            if (!pContainer) {
                pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
            }
            if (!pContainer) {
                // Nothing can hold the control: it is not attached anywhere,
                // so it is ours to free rather than leak.
                delete pControl;
                return nullptr;
            }
            if (!pContainer->Add(pControl)) {
                delete pControl;
                continue;
            }
        }
        if (pManager) {
            pControl->SetManager(pManager, nullptr, false);
            if (const wchar_t* defaults = pManager->GetDefaultAttributeList(pstrClass)) {
                pControl->ApplyAttributeList(defaults);
            }
        }
        const int count = node.GetAttributeCount();
        for (int i = 0; i < count; ++i) {
            pControl->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        }
        if (pManager) pControl->SetManager(nullptr, nullptr, false);
        if (!pReturn) pReturn = pControl;
    }
    return pReturn;
}

CMarkup* CDialogBuilder::GetMarkup() { return &m_xml; }

void CDialogBuilder::GetLastErrorMessage(wchar_t* pstrMessage, std::size_t cchMax) const {
    m_xml.GetLastErrorMessage(pstrMessage, cchMax);
}

void CDialogBuilder::GetLastErrorLocation(wchar_t* pstrSource, std::size_t cchMax) const {
    m_xml.GetLastErrorLocation(pstrSource, cchMax);
}

}  // namespace Facet
