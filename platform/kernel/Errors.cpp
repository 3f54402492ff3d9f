#include <Errors.h>

#include <cerrno>

extern "C" int32_t status_from_errno(int error)
{
	switch (error) {
		case 0: return B_OK;
		case ENOMEM: return B_NO_MEMORY;
		case EIO: return B_IO_ERROR;
		case EACCES:
		case EPERM: return B_PERMISSION_DENIED;
		case EINVAL: return B_BAD_VALUE;
		case ETIMEDOUT: return B_TIMED_OUT;
		case EINTR: return B_INTERRUPTED;
		case EAGAIN: return B_WOULD_BLOCK;
		case EBUSY: return B_BUSY;
		case ENOENT: return B_ENTRY_NOT_FOUND;
		case EEXIST: return B_FILE_EXISTS;
		case ENAMETOOLONG: return B_NAME_TOO_LONG;
		case ENOTDIR: return B_NOT_A_DIRECTORY;
		case ENOTEMPTY: return B_DIRECTORY_NOT_EMPTY;
		case ENOSPC:
		case EDQUOT: return B_DEVICE_FULL;
		// A file-size limit, not a full disk: telling the user to free space
		// would not help.
		case EFBIG: return B_FILE_TOO_LARGE;
		case EROFS: return B_READ_ONLY_DEVICE;
		case EISDIR: return B_IS_A_DIRECTORY;
		case EMFILE:
		case ENFILE: return B_NO_MORE_FDS;
		case EXDEV: return B_CROSS_DEVICE_LINK;
		case ELOOP: return B_LINK_LIMIT;
		case EPIPE: return B_BUSTED_PIPE;
		case ENOTSUP: return B_NOT_SUPPORTED;
		case ENODATA: return B_ENTRY_NOT_FOUND;
		case ERANGE: return B_BAD_VALUE;
		case EBADF: return B_FILE_ERROR;
		default: return B_ERROR;
	}
}
