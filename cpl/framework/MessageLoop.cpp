#include "cpl/framework/MessageLoop.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace
{
std::mutex loopsLock;
std::map<DWORD, MessageLoop*> loops;

template <typename T> void Remove(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// Messages after which the idle handlers run again (not mouse moves or timer ticks, which come in floods).
bool IsIdleMessage(const MSG& message)
{
    switch (message.message)
    {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_TIMER:
    case 0x0118: // the system's caret blink timer
        return false;
    default:
        return true;
    }
}
} // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    filters_.push_back(filter);
}

void MessageLoop::RemoveMessageFilter(MessageFilter* filter)
{
    Remove(filters_, filter);
}

void MessageLoop::AddIdleHandler(IdleHandler* handler)
{
    idleHandlers_.push_back(handler);
}

void MessageLoop::RemoveIdleHandler(IdleHandler* handler)
{
    Remove(idleHandlers_, handler);
}

bool MessageLoop::PreTranslateMessage(MSG& message)
{
    for (auto it = filters_.rbegin(); it != filters_.rend(); ++it)
    {
        if ((*it)->PreTranslateMessage(message))
        {
            return true;
        }
    }
    return false;
}

void MessageLoop::RunIdleHandlers()
{
    for (IdleHandler* handler : idleHandlers_)
    {
        handler->OnIdle();
    }
}

int MessageLoop::Run()
{
    MSG message{};
    bool idle = true;
    for (;;)
    {
        if (idle && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
        {
            RunIdleHandlers();
            idle = false;
        }
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
        {
            continue;
        }
        if (!got)
        {
            return static_cast<int>(message.wParam);
        }
        if (!PreTranslateMessage(message))
        {
            (void)TranslateMessage(&message);
            (void)DispatchMessageW(&message);
        }
        idle = idle || IsIdleMessage(message);
    }
}

void AppModule::AddMessageLoop(MessageLoop* loop)
{
    std::lock_guard<std::mutex> guard(loopsLock);
    loops[GetCurrentThreadId()] = loop;
}

void AppModule::RemoveMessageLoop()
{
    std::lock_guard<std::mutex> guard(loopsLock);
    loops.erase(GetCurrentThreadId());
}

MessageLoop* AppModule::GetMessageLoop()
{
    std::lock_guard<std::mutex> guard(loopsLock);
    const auto found = loops.find(GetCurrentThreadId());
    return found == loops.end() ? nullptr : found->second;
}
