#pragma once

namespace tessel {

// Base of every reference-counted object. The count starts at 0, so an
// object that lives on the stack or inside another object is never deleted
// by Release: only an object that somebody AddRef'ed is destroyed when its
// last reference goes. Counts are plain integers; objects are used by one
// thread at a time.
class IObject {
public:
    IObject() = default;
    // Copies of an object are new objects: they never inherit a count.
    IObject(const IObject&) : refCount_(0) {}
    IObject& operator=(const IObject&) { return *this; }

    virtual unsigned AddRef() { return ++refCount_; }

    virtual unsigned Release()
    {
        if (refCount_ == 0)
            return 0;
        if (--refCount_ == 0) {
            delete this;
            return 0;
        }
        return refCount_;
    }

    unsigned refCount() const { return refCount_; }

protected:
    virtual ~IObject() = default;

    unsigned refCount_ = 0;
};

// Holder of one reference. Assigning adds a reference to the new object
// before the old one is released, so self-assignment is safe.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(T* object) : object_(object)
    {
        if (object_)
            object_->AddRef();
    }
    Ref(const Ref& other) : Ref(other.object_) {}
    Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    template <class U>
    Ref(const Ref<U>& other) : Ref(other.get())
    {
    }
    ~Ref()
    {
        if (object_)
            object_->Release();
    }

    Ref& operator=(T* object)
    {
        if (object)
            object->AddRef();
        T* old = object_;
        object_ = object;
        if (old)
            old->Release();
        return *this;
    }
    Ref& operator=(const Ref& other) { return *this = other.object_; }
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            T* old = object_;
            object_ = other.object_;
            other.object_ = nullptr;
            if (old)
                old->Release();
        }
        return *this;
    }

    // Takes over a reference that was already counted for the caller, as
    // factories and out-parameters hand them out.
    void adopt(T* object)
    {
        T* old = object_;
        object_ = object;
        if (old)
            old->Release();
    }
    // Gives the held reference away without releasing it.
    T* detach()
    {
        T* object = object_;
        object_ = nullptr;
        return object;
    }
    void reset() { *this = nullptr; }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    operator T*() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    bool empty() const { return object_ == nullptr; }

    // The address of the held pointer for out-parameters of the form T**.
    // The previous object is released first; the callee's reference is kept.
    T** out()
    {
        reset();
        return &object_;
    }

private:
    T* object_ = nullptr;
};

} // namespace tessel
