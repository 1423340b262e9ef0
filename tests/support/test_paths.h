#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <string>

namespace tesselka::test {

// A file of tests/data.
inline std::string DataFile(const std::string& name)
{
    return std::string(TESSELKA_TEST_DATA) + "/" + name;
}
// A file of the reference data beside the repository (the LDraw.org colour table).
inline std::string SharedFile(const std::string& name)
{
    return std::string(TESSELKA_SHARED_DATA) + "/" + name;
}

} // namespace tesselka::test
