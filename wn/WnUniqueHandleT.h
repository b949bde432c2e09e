#pragma once
#include <utility>

// Owns one handle of a kind that Traits describes:
//   using Type = ...;  static Type Invalid() noexcept;  static void Close(Type) noexcept;
// Move-only; the moved-from object is empty.
template <class Traits> class WnUniqueHandleT
{
  public:
    using Type = typename Traits::Type;

    WnUniqueHandleT() noexcept = default;
    explicit WnUniqueHandleT(Type handle) noexcept : handle_(handle) {}
    ~WnUniqueHandleT() { Close(); }

    WnUniqueHandleT(const WnUniqueHandleT&) = delete;
    WnUniqueHandleT& operator=(const WnUniqueHandleT&) = delete;
    WnUniqueHandleT(WnUniqueHandleT&& other) noexcept : handle_(other.Detach()) {}
    WnUniqueHandleT& operator=(WnUniqueHandleT&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    Type Get() const noexcept { return handle_; }
    bool IsValid() const noexcept { return handle_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Closes the held handle (errors ignored) and leaves the wrapper empty.
    void Close() noexcept
    {
        if (IsValid())
        {
            Traits::Close(handle_);
            handle_ = Traits::Invalid();
        }
    }
    // Takes ownership of handle after closing the held one; attaching the held handle again keeps it open.
    void Attach(Type handle) noexcept
    {
        if (handle != handle_)
        {
            Close();
            handle_ = handle;
        }
    }
    // Gives up ownership without closing.
    [[nodiscard]] Type Detach() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    // For creation functions with an out parameter: closes the held handle and returns its address.
    Type* Put() noexcept
    {
        Close();
        return &handle_;
    }

  private:
    Type handle_ = Traits::Invalid();
};

// Traits for the usual kind whose "no handle" value is null and whose release function takes the handle;
// the release function's result is ignored, as nothing can be done about a failed release.
template <typename HandleType, auto ReleaseFunction> struct WnNullHandleTraits
{
    using Type = HandleType;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type handle) noexcept { (void)ReleaseFunction(handle); }
};

// A null-style handle released by ReleaseFunction: WnUniqueNullHandle<HKEY, RegCloseKey>.
template <typename HandleType, auto ReleaseFunction>
using WnUniqueNullHandle = WnUniqueHandleT<WnNullHandleTraits<HandleType, ReleaseFunction>>;
