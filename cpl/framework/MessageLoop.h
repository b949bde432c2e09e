// The window message loop of a user-interface thread, with message filters (run before a message is
// translated and dispatched). AppModule keeps the loop of each thread so that windows can register with it.
#pragma once

#include <windows.h>
#include <vector>

class MessageFilter
{
  public:
    virtual ~MessageFilter() = default;
    // Returns true when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message) = 0;
};

class MessageLoop
{
  public:
    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);

    // Runs until WM_QUIT and returns its wParam.
    int Run();
    // Gives the filters, newest first, the chance to take the message.
    bool PreTranslateMessage(MSG& message);

  private:
    std::vector<MessageFilter*> filters_; // not owned
};

// The application module: the message loop registered for each user-interface thread.
class AppModule
{
  public:
    static void AddMessageLoop(MessageLoop* loop);
    static void RemoveMessageLoop();
    // The loop of the calling thread, or null.
    static MessageLoop* GetMessageLoop();
};
