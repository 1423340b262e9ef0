#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace tesselka::test {

// A file of tests/data. A missing file throws, which GoogleTest reports as the failure of
// the running test with the file's name, instead of the test going on to read nothing
// (and, for a colour table, index slot -1).
inline std::string DataFile(const std::string& name)
{
    std::string path = std::string(TESSELKA_TEST_DATA) + "/" + name;
    if (!std::filesystem::is_regular_file(path))
        throw std::runtime_error("missing test file: " + path);
    return path;
}

// The LDraw.org colour table kept with the tests as reference data.
inline std::string ReferenceColorTable()
{
    return DataFile("LDConfig.ldr");
}

} // namespace tesselka::test
