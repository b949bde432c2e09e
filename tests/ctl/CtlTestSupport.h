// corvexctl run inside the test process against the driver model (in-process, or through the pipe when
// CORVEX_TEST_TRANSPORT=pipe), with its output captured and the model's request log at hand.
#pragma once

#include "ctl/CtlProgram.h"
#include "tests/driverapi/ModelFixture.h"
#include "wn/WnEvent.h"

#include <nlohmann/json.hpp>

#include <mutex>
#include <string>
#include <vector>

class CapturedConsole : public CtlConsole
{
  public:
    void Out(const std::wstring& text) override;
    void Err(const std::wstring& text) override;
    std::wstring Output() const;
    std::wstring Errors() const;

  private:
    mutable std::mutex mutex_; // watch prints from its own thread
    std::wstring out_;
    std::wstring err_;
};

struct CtlResult
{
    int exit = -1;
    std::wstring out;
    std::wstring err;
};

// The member at a JSON pointer ("/units/0/serial"), or null.
nlohmann::json At(const nlohmann::json& json, const std::string& pointer);

// "corvexctl a b c" as the test prints it.
std::string CommandText(const std::vector<std::wstring>& args);

class CtlTest : public ModelTest
{
  protected:
    CtlTest() : ModelTest(2) { (void)stop_.Create(true); }

    CtlResult Run(const std::vector<std::wstring>& args);
    // Whether a request since the last ClearRequestLog could have changed anything: a message to the
    // service or a setting of a unit.
    bool SentChanges() const;
    // The unit as the model's dump shows it.
    nlohmann::json Unit(const std::string& serial) const;
    NorvikDeviceKeys Keys(const std::wstring& serial) const;

    WnEvent stop_;
};
