#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    const char* pszBase = std::getenv("TMPDIR");
    std::string csTemplate = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/pindrel-test-XXXXXX";
    if (::mkdtemp(csTemplate.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_csPath = csTemplate;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give back write permission first, so read-only folders made by a test can go.
    for (auto it = fs::recursive_directory_iterator(m_csPath, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(m_csPath, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_csPath, ec);
}

std::string TempDir::operator/(std::string_view csRelative) const
{
    return m_csPath + "/" + std::string(csRelative);
}

std::string TempDir::WriteFile(std::string_view csRelative, std::string_view csContent) const
{
    const std::string csPath = *this / csRelative;
    fs::create_directories(fs::path(csPath).parent_path());
    std::ofstream out(csPath, std::ios::binary | std::ios::trunc);
    out.write(csContent.data(), static_cast<std::streamsize>(csContent.size()));
    return csPath;
}

std::string TempDir::MakeDir(std::string_view csRelative) const
{
    const std::string csPath = *this / csRelative;
    fs::create_directories(csPath);
    return csPath;
}

std::vector<std::string> FolderNames(const std::string& csFolder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(csFolder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const std::string& csPath)
{
    std::ifstream in(csPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
