// A model handle for tests: opened on construction, released on destruction, with typed requests.
#pragma once

#include "driverapi/NorvikIoctl.h"
#include "driverapi/NorvikMessage.h"
#include "simulator/DriverModel.h"
#include "wn/WnEvent.h"

#include <cstdint>

class ModelTestHandle
{
  public:
    explicit ModelTestHandle(DriverModel& model, uint32_t origin = 0)
        : model_(model), id_(model.OpenHandle(GetCurrentProcess(), origin))
    {
    }
    ~ModelTestHandle() { Close(); }
    ModelTestHandle(const ModelTestHandle&) = delete;
    ModelTestHandle& operator=(const ModelTestHandle&) = delete;

    uint32_t Id() const { return id_; }
    void Close()
    {
        if (id_ != 0)
            model_.ReleaseHandle(id_);
        id_ = 0;
    }

    NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* bytes = nullptr)
    {
        return model_.Ioctl(id_, code, in, inSize, out, outSize, bytes);
    }
    template <class In> NorvikStatus Set(uint32_t code, const In& in)
    {
        return Ioctl(code, &in, sizeof(In), nullptr, 0);
    }
    template <class Out> NorvikStatus Get(uint32_t code, Out* out)
    {
        return Ioctl(code, nullptr, 0, out, sizeof(Out));
    }
    // Records that are input and output at once.
    template <class Rec> NorvikStatus InOut(uint32_t code, Rec* rec)
    {
        return Ioctl(code, rec, sizeof(Rec), rec, sizeof(Rec));
    }

    NorvikStatus SetRole(uint32_t role) { return Set(NORVIK_IOCTL_SET_ROLE, role); }
    NorvikStatus Bind(uint32_t key1, uint32_t key2)
    {
        return Set(NORVIK_IOCTL_BIND_DEVICE, NorvikDeviceKeys{key1, key2});
    }

    // Creates auto-reset events and registers them.
    NorvikStatus RegisterEvents()
    {
        if (messageEvent.Create(false) != 0 || notificationEvent.Create(false) != 0)
            return NORVIK_STATUS_FAILED;
        NorvikSetEvents events{reinterpret_cast<uintptr_t>(messageEvent.Get()),
                               reinterpret_cast<uintptr_t>(notificationEvent.Get())};
        return Set(NORVIK_IOCTL_SET_EVENTS, events);
    }

    NorvikStatus Send(uint32_t type, uint32_t code, const void* payload = nullptr, uint32_t length = 0,
                      uint32_t routing1 = 0, uint32_t routing2 = 0, uint32_t sequence = 0)
    {
        NorvikMessage message;
        message.Init(type, code);
        (void)message.SetPayload(payload, length);
        message.routing1 = routing1;
        message.routing2 = routing2;
        message.sequence = sequence;
        return Ioctl(NORVIK_IOCTL_SEND_MESSAGE, &message, message.WireSize(), nullptr, 0);
    }
    NorvikStatus Receive(NorvikMessage* message) { return Get(NORVIK_IOCTL_RECEIVE_MESSAGE, message); }
    NorvikStatus ReceiveNotification(NorvikMessage* message)
    {
        return Get(NORVIK_IOCTL_RECEIVE_NOTIFICATION, message);
    }

    WnEvent messageEvent;
    WnEvent notificationEvent;

  private:
    DriverModel& model_;
    uint32_t id_;
};
