// CNotifyPump dispatches notifications to member functions through static
// message maps (by notification type and control name, walking base maps),
// and can hand notifications of named virtual windows to other pumps.
#pragma once

#include <windows.h>

#include <cstring>

#include "facet/core/dui_string.h"
#include "facet/core/std_string_ptr_map.h"
#include "facet/manager/ui_types.h"

namespace Facet {

#ifdef _MSC_VER
// Handlers of classes that derive from several bases are stored as pointers
// to members of this class; MSVC needs the general representation for that.
class __multiple_inheritance CNotifyPump;
#else
class CNotifyPump;
#endif

typedef void (CNotifyPump::*DUI_PMSG)(TNotifyUI& msg);
typedef LRESULT (CNotifyPump::*DUI_PMSG_LW)(WPARAM wParam, LPARAM lParam);
// Handlers of another signature are stored in a DUI_PMSG field bit for bit and
// read back as their own type; a cast would draw incompatible-type warnings.
template <class To, class From>
To DuiHandlerCast(From from) {
    static_assert(sizeof(To) == sizeof(From), "handler pointers differ in size");
    To to;
    std::memcpy(&to, &from, sizeof(to));
    return to;
}

enum DuiSig : UINT {
    DuiSig_end = 0,  // ends the table
    DuiSig_lwl = 1,  // LRESULT handler(WPARAM, LPARAM)
    DuiSig_vn = 2,   // void handler(TNotifyUI&)
};

struct DUI_MSGMAP_ENTRY {
    CDuiString sMsgType;
    CDuiString sCtrlName;
    UINT nSig;
    DUI_PMSG pfn;  // for DuiSig_lwl, a DUI_PMSG_LW stored in this type
};

struct DUI_MSGMAP {
    const DUI_MSGMAP* (*pfnGetBaseMap)();
    const DUI_MSGMAP_ENTRY* lpEntries;
};

#define DUI_DECLARE_MESSAGE_MAP()                                  \
private:                                                           \
    static const ::Facet::DUI_MSGMAP_ENTRY _messageEntries[];      \
                                                                   \
protected:                                                         \
    static const ::Facet::DUI_MSGMAP messageMap;                   \
    static const ::Facet::DUI_MSGMAP* _GetBaseMessageMap();        \
    const ::Facet::DUI_MSGMAP* GetMessageMap() const override;

#define DUI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const ::Facet::DUI_MSGMAP* theClass::_GetBaseMessageMap() { return &baseClass::messageMap; } \
    const ::Facet::DUI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
    const ::Facet::DUI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap,            \
                                                      &theClass::_messageEntries[0]};           \
    const ::Facet::DUI_MSGMAP_ENTRY theClass::_messageEntries[] = {
#define DUI_END_MESSAGE_MAP() {L"", L"", ::Facet::DuiSig_end, nullptr}};

#define DUI_ON_MSGTYPE(msgtype, memberFxn) \
    {msgtype, L"", ::Facet::DuiSig_vn, static_cast<::Facet::DUI_PMSG>(&memberFxn)},
#define DUI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn) \
    {msgtype, ctrname, ::Facet::DuiSig_vn, static_cast<::Facet::DUI_PMSG>(&memberFxn)},
#define DUI_ON_MSGTYPE_LW(msgtype, ctrname, memberFxn)   \
    {msgtype, ctrname, ::Facet::DuiSig_lwl,              \
     ::Facet::DuiHandlerCast<::Facet::DUI_PMSG>(static_cast<::Facet::DUI_PMSG_LW>(&memberFxn))},

class CNotifyPump {
public:
    CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    bool AddVirtualWnd(CDuiString strName, CNotifyPump* pObject);
    bool RemoveVirtualWnd(CDuiString strName);
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

protected:
    ~CNotifyPump() = default;

    static const DUI_MSGMAP_ENTRY _messageEntries[];
    static const DUI_MSGMAP messageMap;
    virtual const DUI_MSGMAP* GetMessageMap() const;

private:
    CStdStringPtrMap m_VirtualWndMap;
};

}  // namespace Facet
