#include <Volume.h>

#include <fs_info.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

status_t StatDevice(dev_t device, fs_info* info)
{
	if (fs_stat_dev(device, info) != 0)
		return errno != 0 ? status_t(errno) : B_BAD_VALUE;
	return B_OK;
}

}  // namespace

BVolume::BVolume() = default;

BVolume::BVolume(dev_t device)
{
	SetTo(device);
}

status_t BVolume::InitCheck() const
{
	return fStatus;
}

status_t BVolume::SetTo(dev_t device)
{
	fs_info info;
	fStatus = StatDevice(device, &info);
	fDevice = fStatus == B_OK ? device : dev_t(-1);
	return fStatus;
}

void BVolume::Unset()
{
	fDevice = dev_t(-1);
	fStatus = B_NO_INIT;
}

dev_t BVolume::Device() const
{
	return fDevice;
}

status_t BVolume::GetName(char* name) const
{
	if (name == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	fs_info info;
	const status_t status = StatDevice(fDevice, &info);
	if (status == B_OK)
		snprintf(name, B_FILE_NAME_LENGTH, "%s", info.volume_name);
	return status;
}

bool BVolume::KnowsAttr() const
{
	fs_info info;
	return fStatus == B_OK && StatDevice(fDevice, &info) == B_OK
		&& (info.flags & B_FS_HAS_ATTR) != 0;
}

bool BVolume::KnowsQuery() const
{
	fs_info info;
	return fStatus == B_OK && StatDevice(fDevice, &info) == B_OK
		&& (info.flags & B_FS_HAS_QUERY) != 0;
}

bool BVolume::IsReadOnly() const
{
	fs_info info;
	return fStatus == B_OK && StatDevice(fDevice, &info) == B_OK
		&& (info.flags & B_FS_IS_READONLY) != 0;
}

bool BVolume::operator==(const BVolume& other) const
{
	return fDevice == other.fDevice && fStatus == other.fStatus;
}
