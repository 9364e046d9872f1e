// CEventSource: owned delegates, duplicate-free, raised in order. While a
// raise runs, nothing it may still call is deleted: removed delegates, and
// all of them when the source itself is destroyed, wait in the outermost
// raise's frame.
#include "facet/controls/event_source.h"

namespace Facet {

CEventSource::~CEventSource() {
    if (!m_pFrame) {
        DeleteAll(m_aDelegates);
        return;
    }
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) m_pFrame->retired.Add(m_aDelegates[i]);
    m_pFrame->alive = false;
}

CEventSource::operator bool() const { return m_aDelegates.GetSize() > 0; }

int CEventSource::FindEqual(const CDelegateBase& d) const {
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        if (static_cast<CDelegateBase*>(m_aDelegates[i])->Equals(d)) return i;
    }
    return -1;
}

void CEventSource::DeleteAll(CStdPtrArray& delegates) {
    for (int i = 0; i < delegates.GetSize(); ++i) delete static_cast<CDelegateBase*>(delegates[i]);
    delegates.Empty();
}

void CEventSource::operator+=(const CDelegateBase& d) {
    if (FindEqual(d) >= 0) return;
    CDelegateBase* copy = d.Copy();
    if (!m_aDelegates.Add(copy)) delete copy;
}

void CEventSource::operator+=(FnType pFn) { *this += CDelegateStatic(pFn); }

void CEventSource::operator-=(const CDelegateBase& d) {
    const int index = FindEqual(d);
    if (index < 0) return;
    auto* removed = static_cast<CDelegateBase*>(m_aDelegates[index]);
    m_aDelegates.Remove(index);
    if (m_pFrame && m_pFrame->retired.Add(removed)) return;
    delete removed;
}

void CEventSource::operator-=(FnType pFn) { *this -= CDelegateStatic(pFn); }

void CEventSource::HandOver(RaiseFrame& frame) {
    if (!frame.outer) {
        DeleteAll(frame.retired);
        return;
    }
    for (int i = 0; i < frame.retired.GetSize(); ++i) frame.outer->retired.Add(frame.retired[i]);
    frame.retired.Empty();
    frame.outer->alive = false;
}

bool CEventSource::operator()(void* param) {
    if (m_aDelegates.IsEmpty()) return true;
    // Raise over a snapshot: the list may change under the running delegate.
    CStdPtrArray snapshot(m_aDelegates);
    RaiseFrame frame;
    frame.outer = m_pFrame;
    m_pFrame = &frame;
    bool result = true;
    for (int i = 0; i < snapshot.GetSize() && result; ++i) {
        auto* delegate = static_cast<CDelegateBase*>(snapshot[i]);
        if (m_aDelegates.Find(delegate) < 0) continue;  // removed by an earlier one
        result = (*delegate)(param);
        if (!frame.alive) {
            // The source is gone; so is every member this function could read.
            HandOver(frame);
            return result;
        }
    }
    m_pFrame = frame.outer;
    if (m_pFrame) {
        for (int i = 0; i < frame.retired.GetSize(); ++i) m_pFrame->retired.Add(frame.retired[i]);
        frame.retired.Empty();
    } else {
        DeleteAll(frame.retired);
    }
    return result;
}

}  // namespace Facet
