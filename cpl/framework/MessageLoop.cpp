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
} // namespace

void MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    filters_.push_back(filter);
}

void MessageLoop::RemoveMessageFilter(MessageFilter* filter)
{
    Remove(filters_, filter);
}

bool MessageLoop::PreTranslateMessage(MSG& message)
{
    for (auto it = filters_.rbegin(); it != filters_.rend(); ++it)
        if ((*it)->PreTranslateMessage(message))
            return true;
    return false;
}

int MessageLoop::Run()
{
    MSG message{};
    for (;;)
    {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            return static_cast<int>(message.wParam);
        if (!PreTranslateMessage(message))
        {
            (void)TranslateMessage(&message);
            (void)DispatchMessageW(&message);
        }
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
