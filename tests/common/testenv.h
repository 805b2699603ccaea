#pragma once

#include <QString>

// Folders the test run uses instead of the real home folder and working directory.
namespace TestEnv {
QString homeDir();
QString workDir();
} // namespace TestEnv
