#include "access/PageFile.h"

#include <glib.h>  // mdbtools.h needs it first under C++
#include <mdbtools.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "access/FormatError.h"

namespace velmora::access {

namespace {
MdbHandle* mdb(void* handle) {
    return static_cast<MdbHandle*>(handle);
}
}  // namespace

PageFile::PageFile(DatabaseImage image) : image_(std::move(image)) {
    std::uint64_t bytes = 0;
    if (!image_.decrypted.empty()) {
        bytes = image_.decrypted.size();
        handle_ = mdb_open_buffer(image_.decrypted.data(), image_.decrypted.size(), MDB_NOFLAGS);
    } else {
        struct stat info {};
        if (stat(image_.path.c_str(), &info) == 0) bytes = static_cast<std::uint64_t>(info.st_size);
        handle_ = mdb_open(image_.path.c_str(), MDB_NOFLAGS);
    }
    if (!handle_) throw FormatError("the file header is not that of a known Access version");

    MdbHandle* h = mdb(handle_);
    format_ = h->f->jet_version == MDB_VER_JET3 ? &jet3Format() : &jet4Format();
    codePage_ = h->f->code_page;
    if (static_cast<std::size_t>(h->fmt->pg_size) != format_->pageSize) {
        mdb_close(h);
        handle_ = nullptr;
        throw FormatError("the page size does not match the Access version");
    }
    const std::uint64_t pages = bytes / format_->pageSize;
    pageCount_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(pages);
    // libmdb decodes the pages of an RC4-encoded Jet file (a key in its header).
    plain_ = image_.decrypted.empty() && h->f->db_key == 0;
    // libmdb reads the part of a page a file was cut within, the rest zero; a decrypted
    // image has whole pages only.
    if (image_.decrypted.empty() && pages < UINT32_MAX) partBytes_ = bytes % format_->pageSize;
}

PageFile::~PageFile() {
    if (handle_) mdb_close(mdb(handle_));
}

void PageFile::read(std::uint32_t number, std::vector<std::uint8_t>& out) const {
    if (number >= pageCount_)
        throw FormatError("page " + std::to_string(number) +
                          " lies past the end of the file (is it cut short?)");
    MdbHandle* h = mdb(handle_);
    if (plain_) {
        readPlain(number, out);
        return;
    }
    // libmdb prints "offset ... is beyond EOF" to standard error for a file that shrank
    // after it was opened; it is asked only for pages the file still holds.
    if (image_.decrypted.empty()) {
        struct stat info {};
        const std::uint64_t end = (static_cast<std::uint64_t>(number) + 1) * format_->pageSize;
        if (fstat(fileno(h->f->stream), &info) != 0 ||
            static_cast<std::uint64_t>(info.st_size) < end)
            throw FormatError(
                "page " + std::to_string(number) +
                " lies past the end of the file (was it cut short while it was read?)");
    }
    if (mdb_read_pg(h, number) != h->fmt->pg_size)
        throw FormatError("page " + std::to_string(number) + " cannot be read");
    out.assign(h->pg_buf, h->pg_buf + format_->pageSize);
}

// One call per page, straight into `out`; a file cut short while it is read shows as a
// short read.
void PageFile::readPlain(std::uint32_t number, std::vector<std::uint8_t>& out) const {
    const std::size_t size = format_->pageSize;
    out.resize(size);
    const int fd = fileno(mdb(handle_)->f->stream);
    const auto at = static_cast<off_t>(number) * static_cast<off_t>(size);
    for (std::size_t done = 0; done < size;) {
        const ssize_t got =
            pread(fd, out.data() + done, size - done, at + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FormatError("page " + std::to_string(number) + " cannot be read");
        if (got == 0)
            throw FormatError(
                "page " + std::to_string(number) +
                " lies past the end of the file (was it cut short while it was read?)");
        done += static_cast<std::size_t>(got);
    }
}

std::size_t PageFile::readHeld(std::uint32_t number, std::vector<std::uint8_t>& out) const {
    if (number != pageCount_ || partBytes_ == 0) {
        read(number, out);
        return format_->pageSize;
    }
    MdbHandle* h = mdb(handle_);
    struct stat info {};
    const std::uint64_t end = static_cast<std::uint64_t>(number) * format_->pageSize + partBytes_;
    if (fstat(fileno(h->f->stream), &info) != 0 || static_cast<std::uint64_t>(info.st_size) < end)
        throw FormatError("page " + std::to_string(number) +
                          " lies past the end of the file (was it cut short while it was read?)");
    if (mdb_read_pg(h, number) != h->fmt->pg_size)
        throw FormatError("page " + std::to_string(number) + " cannot be read");
    out.assign(h->pg_buf, h->pg_buf + format_->pageSize);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(partBytes_), out.end(), 0);
    return partBytes_;
}

}  // namespace velmora::access
