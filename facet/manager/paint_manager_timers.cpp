// CPaintManagerUI's control timers. Every control timer runs on a native
// timer of the paint window; native ids come from the manager's counter and
// wrap within 0..254, so they never meet the application's own ids.
#include "facet/controls/control_ui.h"
#include "facet/manager/paint_manager_ui.h"
#include "facet/manager/timer_record.h"

namespace Facet {

namespace {
constexpr UINT kNativeTimerIds = 255;
}  // namespace

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse) {
    if (!pControl || !m_hWndPaint) return false;
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint ||
            timer->nLocalID != nTimerID) {
            continue;
        }
        if (!timer->bKilled) return false;
        if (!::SetTimer(m_hWndPaint, timer->uWinTimer, uElapse, nullptr)) return false;
        timer->bKilled = false;
        return true;
    }

    m_uTimerID = (m_uTimerID + 1) % kNativeTimerIds;
    if (!::SetTimer(m_hWndPaint, m_uTimerID, uElapse, nullptr)) return false;
    auto* timer = new TimerRecord;
    timer->pSender = pControl;
    timer->nLocalID = nTimerID;
    timer->hWnd = m_hWndPaint;
    timer->uWinTimer = m_uTimerID;
    if (!m_aTimers.Add(timer)) {
        ::KillTimer(m_hWndPaint, timer->uWinTimer);
        delete timer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID) {
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint ||
            timer->nLocalID != nTimerID || timer->bKilled) {
            continue;
        }
        if (::IsWindow(m_hWndPaint)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        timer->bKilled = true;
        return true;
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl) {
    for (int i = m_aTimers.GetSize() - 1; i >= 0; --i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender == pControl && timer->hWnd == m_hWndPaint) DeleteTimerRecord(i);
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    while (!m_aTimers.IsEmpty()) DeleteTimerRecord(m_aTimers.GetSize() - 1);
}

void CPaintManagerUI::DeleteTimerRecord(int index) {
    auto* timer = static_cast<TimerRecord*>(m_aTimers[index]);
    if (!timer->bKilled && ::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uWinTimer);
    m_aTimers.Remove(index);
    delete timer;
}

void CPaintManagerUI::OnTimer(WPARAM wParam) {
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->hWnd != m_hWndPaint || timer->uWinTimer != wParam || timer->bKilled) continue;
        TEventUI event = MakeEvent(EventTimer, timer->pSender, m_ptLastMousePos);
        event.wParam = timer->nLocalID;
        DeliverEvent(timer->pSender, event);
        return;
    }
}

}  // namespace Facet
