#pragma once
#include "wn/WnThreadCallbackInterface.h"

// Lets a class run a member function as a thread body without deriving from the interface.
template <class T> class WnThreadCallbackForwarderT final : public WnThreadCallbackInterface
{
  public:
    using Method = DWORD (T::*)();

    WnThreadCallbackForwarderT(T* object, Method method) noexcept : object_(object), method_(method) {}

    DWORD Run() override { return (object_->*method_)(); }

  private:
    T* object_; // not owned
    Method method_;
};
