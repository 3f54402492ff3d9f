#include "RecordActions.h"

#include "AsciiText.h"

#include <Message.h>
#include <Roster.h>

#include <cstring>

const char kMakerWebAddress[] = "https://www.tarvish.example/";
const char kMakerSupportAddress[] = "https://www.tarvish.example/support/";

namespace {

// A scheme is letters, digits, '+', '-' or '.' after a letter, up to a ':'.
bool HasScheme(const char* text)
{
	const char* c = text;
	if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')))
		return false;
	while ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')
		|| *c == '+' || *c == '-' || *c == '.')
		c++;
	// "host:port/..." has a digit after the colon; a scheme does not.
	return *c == ':' && !(c[1] >= '0' && c[1] <= '9');
}

}  // namespace

bool WebAddressForLaunch(const char* text, std::string* url)
{
	if (text == nullptr || *text == '\0' || *text == '-')
		return false;
	for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != '\0'; c++) {
		if (*c < 0x20 || *c == 0x7f)
			return false;
	}
	if (StartsWithIgnoringCase(text, "http://") || StartsWithIgnoringCase(text, "https://")) {
		*url = text;
		return true;
	}
	if (HasScheme(text))
		return false;
	*url = std::string("http://") + text;
	return true;
}

status_t LaunchBrowser(const char* text)
{
	std::string url;
	if (!WebAddressForLaunch(text, &url))
		return B_BAD_VALUE;
	const char* arguments[] = {url.c_str()};
	return be_roster->Launch(CVAB_BROWSER_SIGNATURE, 1, arguments, nullptr);
}

status_t LaunchBrowserFromMessage(const BMessage* message)
{
	const char* url = nullptr;
	if (message == nullptr || message->FindString("URL", 0, &url) != B_OK)
		return B_BAD_VALUE;
	return LaunchBrowser(url);
}
