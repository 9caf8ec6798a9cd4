// velmoractl's edges: Windows paths taken apart as the C++ library takes
// them (every message that names a path shows it so), and numbers written
// as a C++ stream writes them.
#include <gtest/gtest.h>

#include "ctl/windows_path.hpp"
#include "ctl_output.hpp"

namespace velmora::ctl {
namespace {

// A path, the path of "a" in it, and its parent folder.
struct PathCase {
  const wchar_t* path;
  const wchar_t* joined;
  const wchar_t* parent;
};

const PathCase kPaths[] = {
    {L"", L"a", L""},
    {L"x", L"x\\a", L""},
    {L"x\\", L"x\\a", L"x"},
    {L"x/y/", L"x/y/a", L"x/y"},
    {L"C:", L"C:a", L"C:"},
    {L"C:\\", L"C:\\a", L"C:\\"},
    {L"C:/", L"C:/a", L"C:/"},
    {L"C:x", L"C:x\\a", L"C:"},
    {L"C:\\x", L"C:\\x\\a", L"C:\\"},
    {L"C:\\x\\", L"C:\\x\\a", L"C:\\x"},
    {L"C:\\x\\\\", L"C:\\x\\\\a", L"C:\\x"},
    {L"C:\\\\x", L"C:\\\\x\\a", L"C:\\"},
    {L"C:\\x/y\\/", L"C:\\x/y\\/a", L"C:\\x/y"},
    {L"C:\\x\\v.exe", L"C:\\x\\v.exe\\a", L"C:\\x"},
    {L"C:\\x\\.", L"C:\\x\\.\\a", L"C:\\x"},
    {L"1:\\x", L"1:\\x\\a", L"1:\\"},
    {L"\\", L"\\a", L"\\"},
    {L"\\x", L"\\x\\a", L"\\"},
    {L"\\\\", L"\\\\a", L"\\\\"},
    {L"\\\\srv", L"\\\\srv\\a", L"\\"},
    {L"\\\\srv\\", L"\\\\srv\\a", L"\\\\srv"},
    {L"\\\\srv\\share", L"\\\\srv\\share\\a", L"\\\\srv"},
    {L"//srv/share/x.exe", L"//srv/share/x.exe\\a", L"//srv/share"},
    {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x\\a", L"\\\\?\\C:"},
    {L"\\\\?\\", L"\\\\?\\a", L"\\\\?"},
};

TEST(WindowsPath, JoinsAndParentsAsTheLibraryDoes) {
  for (const PathCase& c : kPaths) {
    EXPECT_EQ(JoinWindowsPath(c.path, L"a"), c.joined)
        << "path: " << testing::PrintToString(c.path);
    EXPECT_EQ(WindowsParentFolder(c.path), c.parent) << "path: " << testing::PrintToString(c.path);
  }
}

TEST(WindowsPath, AFolderEndingInASeparatorIsAskedAboutWithoutIt) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\x\\", L"C:\\x"}, {L"x\\\\", L"x"},   {L"\\\\srv\\", L"\\\\srv"},
      {L"C:\\x", L"C:\\x"},   {L"C:\\", L"C:\\"}, {L"C:", L"C:"},
      {L"\\", L"\\"},         {L"", L""},
  };
  for (const auto& [path, asked] : cases) {
    EXPECT_EQ(WindowsStatusPath(path), asked) << testing::PrintToString(path);
  }
}

TEST(Output, NumbersAsAStreamWritesThem) {
  const std::pair<double, const char*> cases[] = {
      {30, "30"},         {0.5, "0.5"},    {0, "0"},
      {0.1 + 0.2, "0.3"}, {1e6, "1e+06"},  {1234567, "1.23457e+06"},
      {123456, "123456"}, {1e-7, "1e-07"}, {2.5e-5, "2.5e-05"},
  };
  for (const auto& [number, text] : cases) {
    TextOutput out;
    out << number;
    EXPECT_EQ(out.str(), text);
  }
}

} // namespace
} // namespace velmora::ctl
