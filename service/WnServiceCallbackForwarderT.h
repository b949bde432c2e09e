#pragma once
#include <windows.h>

// Binds a member function to the control manager's extended handler. The forwarder's address is the
// handler's context value.
template <class T> class WnServiceCallbackForwarderT
{
  public:
    using Method = DWORD (T::*)(DWORD control, DWORD eventType, void* eventData);

    WnServiceCallbackForwarderT(T* object, Method method) noexcept : object_(object), method_(method) {}

    DWORD Call(DWORD control, DWORD eventType, void* eventData)
    {
        return object_ != nullptr ? (object_->*method_)(control, eventType, eventData) : NO_ERROR;
    }

    static DWORD WINAPI Handler(DWORD control, DWORD eventType, void* eventData, void* context)
    {
        return static_cast<WnServiceCallbackForwarderT*>(context)->Call(control, eventType, eventData);
    }

  private:
    T* object_; // not owned
    Method method_;
};
