// CEventSource: an ordered list of delegates that a control raises for its
// initialisation, destruction, resizing, events and notifications. It owns
// copies of the delegates it is given and holds each (object, function) pair
// at most once.
#pragma once

#include "facet/controls/delegate.h"
#include "facet/core/std_ptr_array.h"

namespace Facet {

class CEventSource {
public:
    typedef bool (*FnType)(void* param);

    CEventSource() = default;
    ~CEventSource();
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;

    // Whether any delegate is present.
    explicit operator bool() const;
    int GetCount() const { return m_aDelegates.GetSize(); }

    // Adds a copy unless an equal delegate is present.
    void operator+=(const CDelegateBase& d);
    void operator+=(FnType pFn);
    // Removes and deletes the first equal delegate.
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);

    // Invokes the delegates in order; false as soon as one answers false,
    // true otherwise (also when there are none). A delegate may add or remove
    // delegates, itself included, while it runs: those added wait for the
    // next raise, those removed are not called any more. A delegate may even
    // destroy the object that holds this source (a control deleting itself
    // from its own event): the raise then stops and touches nothing of it.
    bool operator()(void* param);

private:
    // One running raise, on its stack; raises nest when a delegate raises
    // the same source again.
    struct RaiseFrame {
        bool alive = true;
        RaiseFrame* outer = nullptr;
        // Delegates that can only be deleted once no raise runs any more.
        CStdPtrArray retired;
    };

    int FindEqual(const CDelegateBase& d) const;
    static void DeleteAll(CStdPtrArray& delegates);
    // Called by a raise whose source died under it.
    static void HandOver(RaiseFrame& frame);

    CStdPtrArray m_aDelegates;  // CDelegateBase*, owned
    RaiseFrame* m_pFrame = nullptr;
};

}  // namespace Facet
