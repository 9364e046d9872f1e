// Delegates: a callable made of an object and a function, compared by both,
// so that an event source can hold each at most once and remove it again.
// CDelegateStatic wraps a free function, CDelegate<O, T> a member function;
// both take one untyped argument (the control, event or notification) and
// answer false to stop the handlers after them.
#pragma once

#include <cstddef>
#include <cstring>

namespace Facet {

class CDelegateBase {
public:
    CDelegateBase(const CDelegateBase& other) = default;
    virtual ~CDelegateBase() = default;
    CDelegateBase& operator=(const CDelegateBase&) = delete;

    // A new heap copy; the caller owns it.
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;
    bool operator()(void* param) { return Invoke(param); }

    // Same object and same function.
    bool Equals(const CDelegateBase& other) const;
    void* GetObj() const { return m_pObject; }
    // The stored function, as the bytes of its pointer. A member pointer is
    // wider than a plain pointer, so it is kept by value here rather than by
    // an address that would not outlive the constructor.
    const void* GetFn() const { return m_fn; }

protected:
    // The largest member-function pointer any supported compiler makes.
    static constexpr std::size_t kMaxFnBytes = 32;

    CDelegateBase(void* pObject, const void* fnBytes, std::size_t fnSize);

private:
    void* m_pObject;
    std::size_t m_fnSize;
    alignas(std::max_align_t) unsigned char m_fn[kMaxFnBytes];
};

class CDelegateStatic : public CDelegateBase {
public:
    typedef bool (*Fn)(void* param);

    explicit CDelegateStatic(Fn pFn);
    CDelegateBase* Copy() const override;
    bool Invoke(void* param) override;

private:
    Fn Function() const;
};

template <class O, class T>
class CDelegate : public CDelegateBase {
public:
    typedef bool (T::*Fn)(void* param);

    CDelegate(O* pObject, Fn pFn) : CDelegateBase(pObject, &pFn, sizeof(Fn)) {
        static_assert(sizeof(Fn) <= kMaxFnBytes, "member pointer wider than the delegate's store");
    }
    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* param) override {
        O* pObject = static_cast<O*>(GetObj());
        Fn pFn;
        std::memcpy(&pFn, GetFn(), sizeof(Fn));
        return (pObject->*pFn)(param);
    }
};

inline CDelegateStatic MakeDelegate(bool (*pFn)(void*)) { return CDelegateStatic(pFn); }

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*)) {
    return CDelegate<O, T>(pObject, pFn);
}

}  // namespace Facet
