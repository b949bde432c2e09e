#pragma once
#include "wn/WnWaitableTimerCallbackInterface.h"

// Lets a class receive timer expiries in a member function without deriving from the interface.
template <class T> class WnWaitableTimerCallbackForwarderT final : public WnWaitableTimerCallbackInterface
{
  public:
    using Method = void (T::*)(DWORD lowTime, DWORD highTime);

    WnWaitableTimerCallbackForwarderT(T* object, Method method) noexcept : object_(object), method_(method) {}

    void OnTimer(DWORD lowTime, DWORD highTime) override { (object_->*method_)(lowTime, highTime); }

  private:
    T* object_; // not owned
    Method method_;
};
