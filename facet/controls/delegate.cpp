// The delegate base: comparison by object and function bytes, and the
// free-function delegate.
#include "facet/controls/delegate.h"

#include <cassert>

namespace Facet {

CDelegateBase::CDelegateBase(void* pObject, const void* fnBytes, std::size_t fnSize)
    : m_pObject(pObject), m_fnSize(fnSize), m_fn() {
    assert(fnSize <= kMaxFnBytes && "function pointer wider than the delegate's store");
    std::memcpy(m_fn, fnBytes, fnSize);
}

bool CDelegateBase::Equals(const CDelegateBase& other) const {
    return m_pObject == other.m_pObject && m_fnSize == other.m_fnSize &&
           std::memcmp(m_fn, other.m_fn, m_fnSize) == 0;
}

CDelegateStatic::CDelegateStatic(Fn pFn) : CDelegateBase(nullptr, &pFn, sizeof(Fn)) {}

CDelegateBase* CDelegateStatic::Copy() const { return new CDelegateStatic(*this); }

bool CDelegateStatic::Invoke(void* param) {
    Fn pFn = Function();
    return pFn ? pFn(param) : true;
}

CDelegateStatic::Fn CDelegateStatic::Function() const {
    Fn pFn;
    std::memcpy(&pFn, GetFn(), sizeof(Fn));
    return pFn;
}

}  // namespace Facet
