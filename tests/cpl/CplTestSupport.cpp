#include "tests/cpl/CplTestSupport.h"

#include "cpl/MainFrame.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <strsafe.h>

void PumpMessages()
{
    // A timer whose handler takes longer than its period is due again at once; each timer fires once per call
    // so that a busy timer cannot keep the pump going forever.
    std::vector<std::pair<HWND, WPARAM>> timersFired;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            continue;
        }
        if (message.message == WM_TIMER)
        {
            const std::pair<HWND, WPARAM> timer{message.hwnd, message.wParam};
            if (std::find(timersFired.begin(), timersFired.end(), timer) != timersFired.end())
            {
                break;
            }
            timersFired.push_back(timer);
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        PumpMessages();
        if (done())
        {
            return true;
        }
        if (GetTickCount() - start > timeoutMs)
        {
            return false;
        }
        (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs, QS_ALLINPUT);
    }
}

DialogCloser::DialogCloser(std::function<void(HWND)> inspect)
    : inspect_(std::move(inspect)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this] { Watch(); });
}

DialogCloser::~DialogCloser()
{
    SetEvent(stop_);
    thread_.join();
    CloseHandle(stop_);
}

std::vector<SeenMessageBox> DialogCloser::Seen() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

namespace
{
struct FoundDialogs
{
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM data)
{
    wchar_t className[16] = L"";
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    // A modal box disables its owner; a modeless dialog (a mixer) is left alone.
    const HWND owner = GetWindow(hwnd, GW_OWNER);
    if (process == GetCurrentProcessId() && IsWindowVisible(hwnd) && GetClassNameW(hwnd, className, 16) > 0 &&
        wcscmp(className, L"#32770") == 0 && (owner == nullptr || !IsWindowEnabled(owner)))
    {
        reinterpret_cast<FoundDialogs*>(data)->windows.push_back(hwnd);
    }
    return TRUE;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(hwnd, text, 1024);
    return text;
}
} // namespace

void DialogCloser::Watch()
{
    // IDOK is posted behind what `inspect_` posted: a modal loop that ends inside the GetMessage that
    // delivers a sent IDOK drops the message that GetMessage then returns (Wine's dialog loop does).
    std::vector<HWND> closed;
    while (WaitForSingleObject(stop_, 20) == WAIT_TIMEOUT)
    {
        FoundDialogs found;
        EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&found));
        for (HWND dialog : found.windows)
        {
            if (std::find(closed.begin(), closed.end(), dialog) != closed.end())
                continue;
            closed.push_back(dialog);
            SeenMessageBox seen;
            seen.caption = WindowText(dialog);
            // A message box's text is its static control 0xFFFF.
            if (HWND text = GetDlgItem(dialog, 0xFFFF))
            {
                seen.text = WindowText(text);
            }
            // Its icon is the shared system icon of the box's type.
            for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT))
            {
                const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                seen.errorIcon = seen.errorIcon || (icon != nullptr && icon == LoadIconW(nullptr, IDI_ERROR));
                seen.warningIcon =
                    seen.warningIcon || (icon != nullptr && icon == LoadIconW(nullptr, IDI_WARNING));
            }
            if (inspect_)
            {
                inspect_(dialog);
            }
            {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.push_back(seen);
            }
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    }
}

namespace
{
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
        {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(body.data(), body.size()));
}

// An RGB PNG with stored (uncompressed) deflate blocks: no compression library needed.
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y)
    {
        raw.push_back(0); // filter: none
        raw.insert(raw.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t offset = 0; offset < raw.size() || offset == 0; offset += 65535)
    {
        const size_t length = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(length));
        zlib.push_back(static_cast<uint8_t>(length >> 8));
        zlib.push_back(static_cast<uint8_t>(~length));
        zlib.push_back(static_cast<uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
        if (last)
        {
            break;
        }
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}
} // namespace

namespace
{
// Copies the screen's `source` rectangle into `rgb` (rows of `width` pixels) at (x, y).
void CaptureScreen(const RECT& source, std::vector<uint8_t>& rgb, int width, int x, int y)
{
    const int w = source.right - source.left;
    const int h = source.bottom - source.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, source.left, source.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (int row = 0; row < h; ++row)
    {
        for (int column = 0; column < w; ++column)
        {
            const uint8_t* from = pixels + (static_cast<size_t>(row) * w + column) * 4;
            uint8_t* to = &rgb[(static_cast<size_t>(y + row) * width + x + column) * 3];
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void Redraw(HWND window)
{
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_FRAME);
    PumpMessages();
}
} // namespace

std::wstring SaveScreenshot(HWND window, const wchar_t* name)
{
    RECT rect{};
    if (!GetWindowRect(window, &rect))
    {
        return std::wstring();
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (width <= screenWidth && height <= screenHeight)
    {
        Redraw(window);
        CaptureScreen(rect, rgb, width, 0, 0);
    }
    else
    {
        // Larger than the screen: moved so that one screenful after another shows, then put back.
        for (int y = 0; y < height; y += screenHeight)
        {
            for (int x = 0; x < width; x += screenWidth)
            {
                SetWindowPos(window, nullptr, -x, -y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                Redraw(window);
                const RECT tile{0, 0, std::min(width - x, screenWidth), std::min(height - y, screenHeight)};
                CaptureScreen(tile, rgb, width, x, y);
            }
        }
        SetWindowPos(window, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
    }

    wchar_t directory[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"CORVEX_BUILD_DIR", directory, MAX_PATH) == 0)
    {
        StringCchCopyW(directory, MAX_PATH, L".");
    }
    std::wstring path = directory;
    // The build directory arrives as a Unix path; Wine maps it through drive Z:.
    if (!path.empty() && path[0] == L'/')
    {
        path = L"Z:" + path;
    }
    path += L"\\screenshots";
    CreateDirectoryW(path.c_str(), nullptr);
    path += L"\\";
    path += name;
    path += L".png";
    const std::vector<uint8_t> png =
        EncodePng(rgb, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
    {
        return std::wstring();
    }
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    fclose(file);
    return written ? path : std::wstring();
}

void DeletePlacement()
{
    (void)RegDeleteKeyW(HKEY_CURRENT_USER, kCplRegistryKey);
}

void StorePlacement(DWORD x, DWORD y, DWORD width, DWORD height)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kCplRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    {
        return;
    }
    const wchar_t* names[] = {L"PosX", L"PosY", L"Width", L"Height"};
    const DWORD values[] = {x, y, width, height};
    for (int i = 0; i < 4; ++i)
    {
        RegSetValueExW(key, names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]), sizeof(DWORD));
    }
    RegCloseKey(key);
}

std::vector<DWORD> StoredPlacement()
{
    std::vector<DWORD> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCplRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    {
        return values;
    }
    for (const wchar_t* name : {L"PosX", L"PosY", L"Width", L"Height"})
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS)
        {
            values.push_back(value);
        }
    }
    RegCloseKey(key);
    return values;
}
