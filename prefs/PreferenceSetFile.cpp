#include "PreferenceSetFile.h"

#include <Message.h>

#include <cerrno>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

status_t WriteError(ssize_t written)
{
	return written < 0 ? status_from_errno(errno) : B_IO_ERROR;
}

// Reads up to size bytes, across short reads; the count read, or -1 on an error.
ssize_t ReadFully(int fd, char* buffer, size_t size)
{
	size_t total = 0;
	while (total < size) {
		const ssize_t got = read(fd, buffer + total, size - total);
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0)
			return -1;
		if (got == 0)
			break;
		total += size_t(got);
	}
	return ssize_t(total);
}

}  // namespace

status_t ReadPreferenceSetFile(int fd, BMessage* data)
{
	if (lseek(fd, 0, SEEK_SET) < 0)
		return status_from_errno(errno);
	int32 length = 0;
	const ssize_t got = ReadFully(fd, reinterpret_cast<char*>(&length), sizeof(length));
	if (got < 0)
		return status_from_errno(errno);
	if (got != ssize_t(sizeof(length)))
		return B_OK;  // a new or cut-off file is an empty set

	// A length beyond what the file holds can only mean a damaged file; it must
	// not make us allocate it.
	struct stat st;
	if (fstat(fd, &st) != 0)
		return status_from_errno(errno);
	if (length <= 0 || off_t(length) > st.st_size - off_t(sizeof(length)))
		return B_OK;

	std::unique_ptr<char[]> flat(new (std::nothrow) char[size_t(length)]);
	if (!flat)
		return B_NO_MEMORY;
	const ssize_t flatGot = ReadFully(fd, flat.get(), size_t(length));
	if (flatGot < 0)
		return B_NO_MEMORY;
	if (flatGot < length)
		return B_OK;
	// A damaged message loads as an empty set, which the next save replaces.
	if (data->Unflatten(flat.get(), size_t(length)) != B_OK)
		data->MakeEmpty();
	return B_OK;
}

status_t WritePreferenceSetFile(int fd, const BMessage& data)
{
	const ssize_t flatSize = data.FlattenedSize();
	if (flatSize < 0 || flatSize > INT32_MAX)
		return B_NO_MEMORY;
	const int32 length = int32(flatSize);
	if (lseek(fd, 0, SEEK_SET) < 0)
		return status_from_errno(errno);
	const ssize_t lengthWritten = write(fd, &length, sizeof(length));
	if (lengthWritten != ssize_t(sizeof(length)))
		return WriteError(lengthWritten);

	std::unique_ptr<char[]> flat(new (std::nothrow) char[size_t(length)]);
	if (!flat || data.Flatten(flat.get(), length) != B_OK)
		return B_NO_MEMORY;
	const ssize_t flatWritten = write(fd, flat.get(), size_t(length));
	if (flatWritten != length)
		return WriteError(flatWritten);
	return B_OK;
}
