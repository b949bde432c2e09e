// Status codes shared by the driver, the driver interface library and both programs.
#pragma once

#include <cstdint>

// 0 is success, 0xE00000xx a driver code below, anything else a Win32 error code.
using NorvikStatus = uint32_t;

constexpr NorvikStatus NORVIK_STATUS_SUCCESS = 0x00000000;
constexpr NorvikStatus NORVIK_STATUS_FAILED = 0xE0000001;
constexpr NorvikStatus NORVIK_STATUS_INTERNAL_ERROR = 0xE0000002;
constexpr NorvikStatus NORVIK_STATUS_NO_MEMORY = 0xE0000003;
constexpr NorvikStatus NORVIK_STATUS_NO_RESOURCES = 0xE0000004;
constexpr NorvikStatus NORVIK_STATUS_TIMEOUT = 0xE0000005;
constexpr NorvikStatus NORVIK_STATUS_ABORTED = 0xE0000006;
constexpr NorvikStatus NORVIK_STATUS_NO_MORE_ITEMS = 0xE0000007;
constexpr NorvikStatus NORVIK_STATUS_NEW_ENUM_EXPECTED = 0xE0000008;
constexpr NorvikStatus NORVIK_STATUS_NO_FIRMWARE = 0xE0000009;
constexpr NorvikStatus NORVIK_STATUS_NOT_SUPPORTED = 0xE0000010;
constexpr NorvikStatus NORVIK_STATUS_NOT_POSSIBLE = 0xE0000011;
constexpr NorvikStatus NORVIK_STATUS_NOT_ALLOWED = 0xE0000012;
constexpr NorvikStatus NORVIK_STATUS_NOT_OPENED = 0xE0000013;
constexpr NorvikStatus NORVIK_STATUS_VERSION_MISMATCH = 0xE0000014;
constexpr NorvikStatus NORVIK_STATUS_LENGTH_MISMATCH = 0xE0000015;
constexpr NorvikStatus NORVIK_STATUS_MAGIC_MISMATCH = 0xE0000016;
constexpr NorvikStatus NORVIK_STATUS_CRC_MISMATCH = 0xE0000017;
constexpr NorvikStatus NORVIK_STATUS_NOT_IN_HIGH_SPEED_MODE = 0xE0000018;
constexpr NorvikStatus NORVIK_STATUS_REJECTED = 0xE0000020;
constexpr NorvikStatus NORVIK_STATUS_ALREADY_DONE = 0xE0000021;
constexpr NorvikStatus NORVIK_STATUS_WRONG_DIRECTION = 0xE0000022;
constexpr NorvikStatus NORVIK_STATUS_REGISTRY_ACCESS_FAILED = 0xE0000023;
constexpr NorvikStatus NORVIK_STATUS_IN_ERROR_STATE = 0xE0000024;
constexpr NorvikStatus NORVIK_STATUS_NO_SERVER = 0xE0000025;
constexpr NorvikStatus NORVIK_STATUS_INITIATOR_NOT_FOUND = 0xE0000026;
constexpr NorvikStatus NORVIK_STATUS_NO_DEVICES = 0xE0000027;
constexpr NorvikStatus NORVIK_STATUS_NO_STREAMING_DEVICE = 0xE0000028;
constexpr NorvikStatus NORVIK_STATUS_INVALID_PARAMETER = 0xE0000030;
constexpr NorvikStatus NORVIK_STATUS_INVALID_BUFFER_SIZE = 0xE0000031;
constexpr NorvikStatus NORVIK_STATUS_INVALID_SAMPLE_SIZE = 0xE0000032;
constexpr NorvikStatus NORVIK_STATUS_INVALID_TYPE = 0xE0000033;
constexpr NorvikStatus NORVIK_STATUS_INVALID_SAMPLE_RATE = 0xE0000034;
constexpr NorvikStatus NORVIK_STATUS_INVALID_IOCTL = 0xE0000035;
constexpr NorvikStatus NORVIK_STATUS_INVALID_INBUFFER_SIZE = 0xE0000036;
constexpr NorvikStatus NORVIK_STATUS_INVALID_OUTBUFFER_SIZE = 0xE0000037;
constexpr NorvikStatus NORVIK_STATUS_INVALID_LENGTH = 0xE0000038;
constexpr NorvikStatus NORVIK_STATUS_INVALID_COMMAND = 0xE0000039;
constexpr NorvikStatus NORVIK_STATUS_INVALID_STATE = 0xE000003A;
constexpr NorvikStatus NORVIK_STATUS_OBJECT_NOT_FOUND = 0xE0000040;
constexpr NorvikStatus NORVIK_STATUS_IN_USE = 0xE0000041;
constexpr NorvikStatus NORVIK_STATUS_NO_SUCH_IF = 0xE0000042;
constexpr NorvikStatus NORVIK_STATUS_NO_SUCH_EP = 0xE0000043;
constexpr NorvikStatus NORVIK_STATUS_CHANNEL_CONFIG_CHANGED = 0xE0000044;
constexpr NorvikStatus NORVIK_STATUS_INVALID_MSG_TYPE = 0xE0000050;
constexpr NorvikStatus NORVIK_STATUS_UNEXPECTED_MSG_CODE = 0xE0000051;
constexpr NorvikStatus NORVIK_STATUS_INVALID_MSG_SIZE = 0xE0000052;
constexpr NorvikStatus NORVIK_STATUS_INVALID_HD_SIZE = 0xE0000053;
constexpr NorvikStatus NORVIK_STATUS_DEVICE_REMOVED = 0xE0000060;
constexpr NorvikStatus NORVIK_STATUS_NO_DEVICE = 0xE0000061;
constexpr NorvikStatus NORVIK_STATUS_ALLOC_BUFFER_FAILED = 0xE0000070;
constexpr NorvikStatus NORVIK_STATUS_ALLOC_IRPRES_FAILED = 0xE0000071;
constexpr NorvikStatus NORVIK_STATUS_SUBMIT_BUFFER_FAILED = 0xE0000072;
constexpr NorvikStatus NORVIK_STATUS_START_CHANNEL_FAILED = 0xE0000073;
constexpr NorvikStatus NORVIK_STATUS_STREAMS_STARTUP_FAILED = 0xE0000074;
constexpr NorvikStatus NORVIK_STATUS_UNSUPPORTED_SAMPLE_RATE = 0xE0000080;
constexpr NorvikStatus NORVIK_STATUS_SOUND_DEVICE_IN_USE = 0xE0000090;
constexpr NorvikStatus NORVIK_STATUS_PENDING = 0xE0000100;

// The constant narrow name of a status; "???" for values that are not driver codes (Win32 errors included).
const char* StatusName(NorvikStatus status);

// Parses a name back to its value (for tools and scripts); false when the name is unknown.
bool StatusFromName(const char* name, NorvikStatus* status);
