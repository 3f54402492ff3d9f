#include "FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <strings.h>

namespace {

struct Match {
	std::string path;
	int32 index = 0;
	std::string family;
};

// Asks fontconfig for the best file for a family and style. fontconfig always
// answers with something; the caller checks that the family is the one asked for.
bool FindFont(const std::string& family, const std::string& style, Match& match)
{
	FcPattern* pattern = FcPatternCreate();
	FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)family.c_str());
	if (!style.empty())
		FcPatternAddString(pattern, FC_STYLE, (const FcChar8*)style.c_str());
	FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
	FcDefaultSubstitute(pattern);
	FcResult result = FcResultNoMatch;
	FcPattern* found = FcFontMatch(nullptr, pattern, &result);
	FcPatternDestroy(pattern);
	if (found == nullptr)
		return false;
	FcChar8* file = nullptr;
	FcChar8* foundFamily = nullptr;
	int index = 0;
	bool ok = FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch;
	if (ok) {
		match.path = (const char*)file;
		if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch)
			match.index = index;
		if (FcPatternGetString(found, FC_FAMILY, 0, &foundFamily) == FcResultMatch)
			match.family = (const char*)foundFamily;
	}
	FcPatternDestroy(found);
	return ok;
}

bool IsMonospaced(const std::string& family)
{
	return strcasestr(family.c_str(), "mono") != nullptr
		|| strcasestr(family.c_str(), "courier") != nullptr;
}

}  // namespace

FontEngine& FontEngine::Default()
{
	static FontEngine engine;
	return engine;
}

FontEngine::FontEngine()
{
	FcInit();
	FT_Init_FreeType(&fLibrary);
}

FontEngine::~FontEngine()
{
	fFaces.clear();
	FT_Done_FreeType(fLibrary);
}

FontFace* FontEngine::FaceFor(const std::string& family, const std::string& style)
{
	std::lock_guard<std::mutex> lock(fMutex);
	const std::string key = family + "\n" + style;
	auto known = fChosen.find(key);
	if (known != fChosen.end())
		return known->second;
	FontFace* face = OpenLocked(family, style);
	if (face == nullptr) {
		const std::string standIn = IsMonospaced(family) ? "DejaVu Sans Mono" : "DejaVu Sans";
		if (family != standIn)
			face = OpenLocked(standIn, style);
	}
	if (face == nullptr)
		face = FallbackLocked();
	fChosen[key] = face;
	return face;
}

FontFace* FontEngine::OpenLocked(const std::string& family, const std::string& style)
{
	const std::string key = family + "\n" + style;
	auto found = fFaces.find(key);
	if (found != fFaces.end())
		return found->second.get();
	Match match;
	if (!FindFont(family, style, match) || strcasecmp(match.family.c_str(), family.c_str()) != 0)
		return nullptr;
	std::unique_ptr<FontFace> face = FontFace::Open(fLibrary, match.path, match.index, family,
		style);
	if (!face)
		return nullptr;
	FontFace* fallback = FallbackLocked();
	if (fallback != face.get())
		face->SetFallback(fallback);
	FontFace* result = face.get();
	fFaces[key] = std::move(face);
	return result;
}

// The face that draws what the chosen face lacks (the replacement mark among them).
FontFace* FontEngine::FallbackLocked()
{
	if (fFallback != nullptr)
		return fFallback;
	Match match;
	if (!FindFont("DejaVu Sans", "", match))
		return nullptr;
	std::unique_ptr<FontFace> face = FontFace::Open(fLibrary, match.path, match.index,
		"DejaVu Sans", "");
	if (!face)
		return nullptr;
	fFallback = face.get();
	fFaces["\nfallback"] = std::move(face);
	return fFallback;
}
