#include "CVABAboutWindow.h"

#include "RecordActions.h"

namespace {

const char kAboutText[] =
	"Corvane Address Book LITE\n"
	"Version 1.0b14 October 26, 1998\n"
	"\n"
	"This is probably an outdated version\n"
	"of the Corvane Address Book LITE.  Visit\n"
	"the maker's web page for the latest\n"
	"version and for news of the address\n"
	"book: press Web Page below.";

}  // namespace

CVABAboutWindow::CVABAboutWindow()
	: CVABInfoWindow(kAboutText, 40, kMakerWebAddress)
{
}

CVABAboutWindow::~CVABAboutWindow() = default;
