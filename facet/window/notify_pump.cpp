// Notification dispatch through the static message maps and virtual windows.
#include "facet/window/notify_pump.h"

#include "facet/controls/control_ui.h"

namespace Facet {

const DUI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {
    {L"", L"", DuiSig_end, nullptr},
};

const DUI_MSGMAP CNotifyPump::messageMap = {nullptr, &CNotifyPump::_messageEntries[0]};

CNotifyPump::CNotifyPump() : m_VirtualWndMap(83) {}

const DUI_MSGMAP* CNotifyPump::GetMessageMap() const { return &CNotifyPump::messageMap; }

bool CNotifyPump::AddVirtualWnd(CDuiString strName, CNotifyPump* pObject) {
    if (m_VirtualWndMap.Find(strName.GetData()) != nullptr) return false;
    m_VirtualWndMap.Insert(strName.GetData(), pObject);
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(CDuiString strName) {
    if (m_VirtualWndMap.Find(strName.GetData()) == nullptr) return false;
    return m_VirtualWndMap.Remove(strName.GetData());
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.virtualWindow.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            const wchar_t* key = m_VirtualWndMap.GetAt(i);
            if (!key || ::lstrcmpiW(key, msg.virtualWindow.GetData()) != 0) continue;
            auto* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject && pObject->LoopDispatch(msg)) return;
        }
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    const CDuiString senderName = msg.sender ? msg.sender->GetName() : CDuiString();
    for (const DUI_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const DUI_MSGMAP_ENTRY* found = nullptr;
        for (const DUI_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != DuiSig_end; ++entry) {
            if (entry->sMsgType != msg.type.GetData()) continue;
            if (entry->sCtrlName == senderName.GetData()) {
                found = entry;
                break;
            }
            if (entry->sCtrlName.IsEmpty()) found = entry;
        }
        if (!found) continue;
        switch (found->nSig) {
            case DuiSig_lwl:
                (this->*DuiHandlerCast<DUI_PMSG_LW>(found->pfn))(msg.wParam, msg.lParam);
                return true;
            case DuiSig_vn:
                (this->*found->pfn)(msg);
                return true;
            default:
                return false;
        }
    }
    return false;
}

}  // namespace Facet
