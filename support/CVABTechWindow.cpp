#include "CVABTechWindow.h"

#include "RecordActions.h"

namespace {

const char kSupportText[] =
	"There are instructions available on the support \n"
	"web page.\n"
	"\n"
	"We cannot provide phone support for the free \n"
	"version.  We will post common questions and \n"
	"answers on the tech support web page.";

}  // namespace

CVABTechWindow::CVABTechWindow()
	: CVABInfoWindow(kSupportText, 50, kMakerSupportAddress)
{
}

CVABTechWindow::~CVABTechWindow() = default;
