#include "WordServicesDefs.h"

const char kWordServicesServerAttr[] = "WordServicesServer";
const char kMenuStringCountAttr[] = "Menu String Count";
const char kMenuStringAttrPrefix[] = "Menu String ";
const char kAppSignatureAttr[] = "BEOS:APP_SIG";
const char kWordServicesQuery[] = "WordServicesServer == 1";

const char* const kAddressBookServices[2] = {
	"Look Up E-Mail Address",
	"Look Up Postal Address",
};

const char kSizeProperty[] = "Size";
const char kTextProperty[] = "Text";
const char kHiliteProperty[] = "BackgroundHilite";
