#pragma once
// The one error type of the data-access interface: a number and a description, as
// every caller shows them to the user.

#include <stdexcept>
#include <string>

namespace velmora::db {

namespace errc {
// What ADO reports for a provider-level failure (E_FAIL).
constexpr long kProviderFailure = -2147467259;
constexpr long kProviderNotFound = 3706;
constexpr long kObjectClosed = 3704;
constexpr long kObjectOpen = 3705;
constexpr long kNoCurrentRecord = 3021;
constexpr long kItemNotFound = 3265;
// Faults of the target that end the table being written, as Windows numbers them: another
// program holds it (lock violation), and, which ends every later table too, the disk is
// full or the folder is gone (path not found).
constexpr long kTargetLocked = -2147024863;
constexpr long kTargetFull = -2147024784;
constexpr long kTargetGone = -2147024893;
// The table's own file was removed while it was being written (file not found): it ends
// that table, not the run.
constexpr long kTableGone = -2147024894;
}  // namespace errc

class DbError : public std::runtime_error {
  public:
    DbError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }
    std::string description() const { return what(); }

  private:
    long number_;
};

}  // namespace velmora::db
