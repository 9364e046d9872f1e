// CPaintManagerUI's listeners and notifications: notifiers, message filters,
// accelerator translators and post-paint controls, and the delivery of
// notifications at once or through the queue drained around each message.
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"

namespace Facet {

namespace {

bool RemoveFirst(CStdPtrArray& list, void* item) {
    const int index = list.Find(item);
    if (index < 0) return false;
    return list.Remove(index);
}

}  // namespace

bool CPaintManagerUI::AddNotifier(INotifyUI* pNotifier) { return m_aNotifiers.Add(pNotifier); }

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pNotifier) {
    return RemoveFirst(m_aNotifiers, pNotifier);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) {
    return m_aPreMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter) {
    return m_aMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter) {
    return RemoveFirst(m_aMessageFilters, pFilter);
}

int CPaintManagerUI::GetPostPaintCount() const { return m_aPostPaintControls.GetSize(); }

bool CPaintManagerUI::AddPostPaint(CControlUI* pControl) { return m_aPostPaintControls.Add(pControl); }

bool CPaintManagerUI::RemovePostPaint(CControlUI* pControl) {
    return RemoveFirst(m_aPostPaintControls, pControl);
}

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* pControl, int iIndex) {
    RemovePostPaint(pControl);
    return m_aPostPaintControls.InsertAt(iIndex, pControl);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    return m_aTranslateAccelerator.Add(pTranslateAccelerator);
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator) {
    return RemoveFirst(m_aTranslateAccelerator, pTranslateAccelerator);
}

bool CPaintManagerUI::TranslateAcceleratorW(MSG* pMsg) {
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); ++i) {
        auto* translator = static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator[i]);
        if (translator->TranslateAccelerator(pMsg) == S_OK) return true;
    }
    return false;
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam,
                                 LPARAM lParam, bool bAsync) {
    TNotifyUI msg;
    msg.sender = pControl;
    msg.type = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync) {
    Msg.mousePoint = m_ptLastMousePos;
    Msg.timestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.sender) Msg.virtualWindow = Msg.sender->GetVirtualWnd();

    if (!bAsync) {
        DispatchNotify(Msg);
        return;
    }
    auto* queued = new TNotifyUI;
    queued->sender = Msg.sender;
    queued->type = Msg.type;
    queued->wParam = Msg.wParam;
    queued->lParam = Msg.lParam;
    queued->mousePoint = Msg.mousePoint;
    queued->timestamp = Msg.timestamp;
    if (!m_aAsyncNotify.Add(queued)) delete queued;
}

void CPaintManagerUI::DispatchNotify(TNotifyUI& msg) {
    // A listener may destroy the sender (closing a page from its own button):
    // the rest of the listeners then see an empty sender, not a dead one.
    CControlWatch sender(msg.sender);
    if (msg.sender && msg.sender->NotifyHandlers) {
        msg.sender->NotifyHandlers(&msg);
        if (!sender) msg.sender = nullptr;
    }
    for (int i = 0; i < m_aNotifiers.GetSize(); ++i) {
        static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(msg);
        if (msg.sender && !sender) msg.sender = nullptr;
    }
}

void CPaintManagerUI::DrainAsyncNotify() {
    while (!m_aAsyncNotify.IsEmpty()) {
        auto* msg = static_cast<TNotifyUI*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        DispatchNotify(*msg);
        delete msg;
    }
}

}  // namespace Facet
