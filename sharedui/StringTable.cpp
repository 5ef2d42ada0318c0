#include "StringTable.h"

#include <map>
#include <system_error>
#include <utility>

#include "FileFailure.h"

namespace {

std::map<std::pair<unsigned, DlgLanguage>, std::string>& table()
{
    static std::map<std::pair<unsigned, DlgLanguage>, std::string> strings;
    return strings;
}

unsigned failureStringId(FileFailureKind kind)
{
    switch (kind) {
    case FileFailureKind::CannotRead: return IDS_FILE_CANNOT_READ;
    case FileFailureKind::NotRegularFile: return IDS_FILE_NOT_REGULAR;
    case FileFailureKind::CannotWrite: return IDS_FILE_CANNOT_WRITE;
    case FileFailureKind::CannotCreateFolder: return IDS_FILE_CANNOT_CREATE_FOLDER;
    case FileFailureKind::CannotCreateTemp: return IDS_FILE_CANNOT_CREATE_TEMP;
    case FileFailureKind::WriteFailed: return IDS_FILE_WRITE_FAILED;
    case FileFailureKind::SyncFailed: return IDS_FILE_SYNC_FAILED;
    case FileFailureKind::ReplaceFailed: return IDS_FILE_REPLACE_FAILED;
    case FileFailureKind::InvalidEntry: return IDS_FILE_INVALID_ENTRY;
    }
    return IDS_FILE_WRITE_FAILED;
}

} // namespace

void RegisterString(unsigned nId, std::string csText)
{
    RegisterString(nId, DlgLanguage::English, std::move(csText));
}

void RegisterString(unsigned nId, DlgLanguage language, std::string csText)
{
    table()[{ nId, language }] = std::move(csText);
}

std::string LoadString(unsigned nId)
{
    auto it = table().find({ nId, UserDialogLanguage() });
    if (it == table().end())
        it = table().find({ nId, DlgLanguage::English });
    return it == table().end() ? std::string() : it->second;
}

std::string FillPlaceholders(std::string_view csPattern, const std::vector<std::string>& arguments)
{
    std::string csText;
    for (std::size_t i = 0; i < csPattern.size(); ++i) {
        const std::size_t nArgument
            = i + 1 < csPattern.size() && csPattern[i] == '%' && csPattern[i + 1] >= '1' && csPattern[i + 1] <= '9'
            ? static_cast<std::size_t>(csPattern[i + 1] - '1')
            : arguments.size();
        if (nArgument < arguments.size()) {
            csText += arguments[nArgument];
            ++i;
        } else {
            csText += csPattern[i];
        }
    }
    return csText;
}

std::string FormatFileFailure(const FileFailure& failure)
{
    // The path's bytes are kept: it may not be UTF-8.
    return FillPlaceholders(LoadString(failureStringId(failure.kind)),
        { failure.csPath, std::generic_category().message(failure.nErrno) });
}
