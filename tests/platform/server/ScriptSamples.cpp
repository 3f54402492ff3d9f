#include "ScriptSamples.h"

#include <TextEngine.h>
#include <TextLayout.h>
#include <Utf8.h>

#include <gtest/gtest.h>

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

DrawnTexts::DrawnTexts()
{
	TextEngine::Default().SetDrawObserver([this](const TextLayout& layout, int32 line, float x,
		float) {
		int32 missing = 0;
		for (const TextLayout::Run& run : layout.Runs(line))
			missing += run.missingGlyphs;
		std::lock_guard<std::mutex> lock(fLock);
		Drawn& drawn = fDrawn[layout.Text()];
		drawn.missing += missing;
		drawn.x = x;
	});
}

DrawnTexts::~DrawnTexts()
{
	TextEngine::Default().SetDrawObserver(nullptr);
}

void DrawnTexts::Clear()
{
	std::lock_guard<std::mutex> lock(fLock);
	fDrawn.clear();
}

void DrawnTexts::ExpectEverySampleDrawn(const char* where)
{
	std::lock_guard<std::mutex> lock(fLock);
	for (const ScriptSample& sample : kScriptSamples) {
		bool found = false;
		for (const auto& [text, drawn] : fDrawn) {
			if (text.find(sample.text) == std::string::npos)
				continue;
			found = true;
			if (InstalledFontsCover(sample.text)) {
				EXPECT_EQ(drawn.missing, 0) << sample.name << " in " << where;
			}
		}
		EXPECT_TRUE(found) << sample.name << " in " << where;
	}
}

float DrawnTexts::LeftOf(const std::string& text)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fDrawn.find(text);
	return found != fDrawn.end() ? found->second.x : -1;
}
