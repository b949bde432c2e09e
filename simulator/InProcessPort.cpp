#include "simulator/InProcessPort.h"

#include <cwchar>

namespace
{
class InProcessLink : public DriverLink
{
  public:
    InProcessLink(DriverModel& model, uint32_t handle) : model_(model), handle_(handle) {}
    ~InProcessLink() override { model_.ReleaseHandle(handle_); }

    NorvikStatus Ioctl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* bytesReturned, HANDLE /*ioEvent*/) override
    {
        return model_.Ioctl(handle_, code, in, inSize, out, outSize, bytesReturned);
    }

  private:
    DriverModel& model_;
    uint32_t handle_;
};
} // namespace

NorvikStatus InProcessPort::Open(const wchar_t* path, std::unique_ptr<DriverLink>* link)
{
    link->reset();
    if (path == nullptr || _wcsicmp(path, L"\\\\.\\" NORVIK_DRIVER_NAME) != 0)
        return ERROR_FILE_NOT_FOUND;
    uint32_t handle = model_.OpenHandle(GetCurrentProcess(), origin_);
    if (handle == 0)
        return ERROR_FILE_NOT_FOUND;
    *link = std::make_unique<InProcessLink>(model_, handle);
    return NORVIK_STATUS_SUCCESS;
}
