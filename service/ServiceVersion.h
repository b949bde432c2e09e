#pragma once

// The program's version (also in the VERSIONINFO resource) and the driver interface version it was built for.
constexpr unsigned kServiceVersionMajor = 1;
constexpr unsigned kServiceVersionMinor = 36;
constexpr unsigned kServiceVersionBuild = 1;
constexpr unsigned kInterfaceVersionMajor = 2;
constexpr unsigned kInterfaceVersionMinor = 0;
