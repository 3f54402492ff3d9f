#include <Statable.h>

bool BStatable::IsFile() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}

bool BStatable::IsDirectory() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}

bool BStatable::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t BStatable::GetSize(off_t* size) const
{
	struct stat st;
	const status_t status = GetStat(&st);
	if (status == B_OK)
		*size = st.st_size;
	return status;
}

status_t BStatable::GetModificationTime(time_t* mtime) const
{
	struct stat st;
	const status_t status = GetStat(&st);
	if (status == B_OK)
		*mtime = st.st_mtime;
	return status;
}

status_t BStatable::GetPermissions(mode_t* permissions) const
{
	struct stat st;
	const status_t status = GetStat(&st);
	if (status == B_OK)
		*permissions = st.st_mode & 07777;
	return status;
}

status_t BStatable::GetNodeRef(node_ref* ref) const
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	struct stat st;
	const status_t status = GetStat(&st);
	if (status == B_OK)
		*ref = node_ref(st.st_dev, st.st_ino);
	return status;
}
