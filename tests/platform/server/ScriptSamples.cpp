#include "ScriptSamples.h"

#include <Utf8.h>

#include <fontconfig/fontconfig.h>

#include <string.h>

namespace {

bool AnyFontHas(uint32 codepoint)
{
	FcCharSet* characters = FcCharSetCreate();
	FcCharSetAddChar(characters, codepoint);
	FcPattern* pattern = FcPatternCreate();
	FcPatternAddCharSet(pattern, FC_CHARSET, characters);
	FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
	FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
	const bool found = fonts != nullptr && fonts->nfont > 0;
	if (fonts != nullptr)
		FcFontSetDestroy(fonts);
	FcObjectSetDestroy(objects);
	FcPatternDestroy(pattern);
	FcCharSetDestroy(characters);
	return found;
}

}  // namespace

bool InstalledFontsCover(const char* text)
{
	const char* end = text + strlen(text);
	for (const char* p = text; p < end;) {
		const uint32 codepoint = utf8::Decode(p, end);
		if (codepoint != 0x200d && codepoint != 0xfe0f && codepoint != ' '
			&& !AnyFontHas(codepoint))
			return false;
	}
	return true;
}
