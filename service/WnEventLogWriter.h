#pragma once
#include "service/WnEventLogHandle.h"

// Receives every text the writer reports, whether or not an event source is open: the console in console
// mode, a recorder in tests.
class WnEventLogMirror
{
  public:
    virtual ~WnEventLogMirror() = default;
    virtual void OnReport(WORD type, DWORD eventId, const wchar_t* text) = 0;
};

// Reports entries to the Windows event log under one source. The ids match the program's message table,
// whose entries are just their insertion string.
class WnEventLogWriter : public WnEventLogHandle
{
  public:
    static constexpr DWORD kInformationEventId = 0x60070001;
    static constexpr DWORD kWarningEventId = 0xA0070002;
    static constexpr DWORD kErrorEventId = 0xE0070003;
    static constexpr size_t kTextCapacity = 4096;

    WnEventLogWriter() noexcept = default;
    ~WnEventLogWriter() override;

    // Closes a held source first (its failure ignored), then registers sourceName on the local machine.
    [[nodiscard]] DWORD Open(const wchar_t* sourceName);
    DWORD Close() override;

    // Formats into 4096 characters; a longer text is cut, never overrun.
    DWORD ReportInfo(const wchar_t* format, ...);
    DWORD ReportWarning(const wchar_t* text);
    DWORD ReportError(const wchar_t* text);

    // The mirror is not owned; null removes it.
    void SetMirror(WnEventLogMirror* mirror) noexcept { mirror_ = mirror; }

  private:
    DWORD Report(WORD type, DWORD eventId, const wchar_t* text);

    WnEventLogMirror* mirror_ = nullptr; // not owned
};
