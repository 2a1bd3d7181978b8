#include "paradox/DriverError.h"

#include <cerrno>
#include <cstring>

#include "dataaccess/DbError.h"

namespace velmora::paradox {

namespace {
constexpr std::string_view kPrefix = "[Paradox Driver] SQLException: ";

std::string reasonFor(int errorNumber) {
    switch (errorNumber) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EFBIG:
            return "the file would grow past the size this system allows";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the file system is read-only";
        case ENOENT:
            return "the file no longer exists";
        case EAGAIN:
            return "the file is locked by another program";
        case EIO:
            return "an input/output error occurred";
        default:
            return std::strerror(errorNumber);
    }
}
}  // namespace

void fail(const std::string& message) {
    fail(db::errc::kProviderFailure, message);
}

void fail(long number, const std::string& message) {
    throw db::DbError(number, std::string(kPrefix) + message);
}

void failSyntax(std::string_view statement, std::size_t offset, const std::string& message) {
    std::size_t position = 1;
    for (std::size_t i = 0; i < offset && i < statement.size(); ++i)
        if ((static_cast<unsigned char>(statement[i]) & 0xC0) != 0x80) ++position;
    fail("Syntax error at position " + std::to_string(position) + ": " + message);
}

void failSystem(const std::string& action, int errorNumber) {
    const bool full = errorNumber == ENOSPC || errorNumber == EDQUOT || errorNumber == EFBIG;
    fail(full ? db::errc::kTargetFull : db::errc::kProviderFailure,
         action + " failed: " + reasonFor(errorNumber) + ".");
}

std::string inQuotes(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

std::string excerpt(std::string_view statement, std::size_t offset) {
    if (offset >= statement.size()) return "the end of the statement";
    std::size_t end = offset;
    std::size_t characters = 0;
    while (end < statement.size() && characters < 20) {
        ++end;
        while (end < statement.size() &&
               (static_cast<unsigned char>(statement[end]) & 0xC0) == 0x80)
            ++end;
        ++characters;
    }
    std::string text(statement.substr(offset, end - offset));
    if (end < statement.size()) text += "...";
    return "\"" + text + "\"";
}

}  // namespace velmora::paradox
