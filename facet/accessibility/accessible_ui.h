// CAccessibleUI: one element of a window's accessible tree as Microsoft
// Active Accessibility sees it: the client area, a control, or a combo box's
// list. Role, name, value, state, place and default action come from the
// control it stands for, looked up afresh on every call through its host.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>

#include "facet/accessibility/accessible_host.h"

namespace Facet {

// IID_IAccessible, written out: mingw's static oleacc library holds the bytes
// of an import thunk under that name, so QueryInterface would never match.
extern const IID kIidAccessible;

class CAccessibleUI final : public IAccessible {
public:
    // `id` is the element's child id from its host: the object answers only
    // while that id still stands for the element.
    CAccessibleUI(std::shared_ptr<CAccessibleHost> host, const AccessibleNode& node, LONG id);
    CAccessibleUI(const CAccessibleUI&) = delete;
    CAccessibleUI& operator=(const CAccessibleUI&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // No type information: readers call through the vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* pcountChildren) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT varChild, BSTR* pszHelp) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild,
                                               long* pidTopic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT varChild, BSTR* pszShortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pvarChildren) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flagsSelect, VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                          VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT varChild, BSTR szName) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT varChild, BSTR szValue) override;

private:
    ~CAccessibleUI() = default;
    // S_OK while this element's control lives; CO_E_OBJNOTCONNECTED, as
    // COM names an object cut off from its server, once it is gone.
    HRESULT Connected() const;
    // The element varChild names: this one for CHILDID_SELF, otherwise a
    // child by position or any element of the window by its id.
    // CO_E_OBJNOTCONNECTED when this one is gone, E_INVALIDARG when the
    // one named does not exist (any more).
    HRESULT Target(const VARIANT& varChild, AccessibleNode& node) const;
    // A new object for the element.
    CAccessibleUI* ObjectFor(const AccessibleNode& node) const;
    // A new object for the element, as a reader's VARIANT.
    void ToVariant(const AccessibleNode& node, VARIANT* out) const;

    LONG m_refs = 1;
    std::shared_ptr<CAccessibleHost> m_host;
    AccessibleNode m_node;
    LONG m_id;
};

}  // namespace Facet
