// Accepts connections on one message-mode named pipe and serves each on a thread of its own, with
// overlapped I/O so that Stop can end every wait. The threads are bounded: a local process that holds
// connections open must not be able to take the simulator down.
#pragma once

#include "wn/WnEvent.h"
#include "wn/WnFileHandle.h"
#include "wn/WnThread.h"
#include "wn/WnThreadCallbackInterface.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One connected pipe instance as a server thread sees it.
class SimPipeConnection
{
  public:
    SimPipeConnection(WnFileHandle pipe, HANDLE stopEvent) : pipe_(std::move(pipe)), stopEvent_(stopEvent) {}

    HANDLE Pipe() const { return pipe_.Get(); }

    // Reads one whole message. Returns 0, ERROR_MORE_DATA when it was longer than `limit` (the rest has been
    // read away and *message holds the first `limit` bytes), or the error that ends the connection
    // (broken pipe, stop requested: ERROR_OPERATION_ABORTED).
    [[nodiscard]] DWORD ReadMessage(std::vector<uint8_t>* message, size_t limit);
    [[nodiscard]] DWORD WriteMessage(const void* bytes, size_t size);

  private:
    [[nodiscard]] DWORD Complete(BOOL started, OVERLAPPED* overlapped, DWORD* transferred);

    WnFileHandle pipe_;
    HANDLE stopEvent_; // not owned: the listener's stop event
    WnEvent ioEvent_;
};

class SimPipeListener
{
  public:
    using Serve = std::function<void(SimPipeConnection& connection)>;

    SimPipeListener() = default;
    ~SimPipeListener() { Stop(); }
    SimPipeListener(const SimPipeListener&) = delete;
    SimPipeListener& operator=(const SimPipeListener&) = delete;

    // Creates the first pipe instance before it returns, so clients can connect at once. A second listener
    // on the same name fails with ERROR_ACCESS_DENIED (the pipe is created first-instance).
    [[nodiscard]] DWORD Start(const std::wstring& path, Serve serve);
    // Ends the accept loop and every connection, and waits for their threads.
    void Stop();

    static constexpr DWORD kBufferSize = 64 * 1024 + 64;
    // Connections served at once. One beyond them, or one whose thread cannot start, is closed as soon as it
    // is accepted: its client finds the pipe broken, and every other connection is served on.
    static constexpr size_t kMaxConnections = 128;
    // Address space reserved per connection thread: serving needs little stack, and the executable's default
    // of megabytes per thread soon uses up a 32-bit process.
    static constexpr unsigned kWorkerStackBytes = 256 * 1024;

  private:
    // One connection and the thread that serves it.
    class Worker final : public WnThreadCallbackInterface
    {
      public:
        Worker(SimPipeListener& owner, WnFileHandle pipe) : owner_(owner), pipe_(std::move(pipe)) {}
        DWORD Run() override;

        WnThread thread;
        std::atomic<bool> done{false};

      private:
        SimPipeListener& owner_;
        WnFileHandle pipe_;
    };

    [[nodiscard]] DWORD CreateInstance(bool first, WnFileHandle* pipe) const;
    void AcceptLoop(WnFileHandle pipe);
    void HandOver(WnFileHandle pipe);
    void ReapFinished();

    std::wstring path_;
    Serve serve_;
    WnEvent stopEvent_;
    std::thread acceptThread_;
    std::mutex workersMutex_;
    std::list<Worker> workers_;
};
