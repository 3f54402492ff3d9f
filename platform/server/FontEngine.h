// Finds font files through fontconfig and keeps one open face per family and style.
// Threading: any thread; an internal mutex guards the table of faces.
#ifndef _SERVER_FONT_ENGINE_H
#define _SERVER_FONT_ENGINE_H

#include "FontFace.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

class FontEngine {
public:
	static FontEngine& Default();

	// The face for a family and style; when fontconfig has no such family, a DejaVu
	// face of the same kind (sans or mono) stands in. Returns null only when no font
	// at all can be opened.
	FontFace* FaceFor(const std::string& family, const std::string& style);

private:
	FontEngine();
	~FontEngine();
	FontFace* OpenLocked(const std::string& family, const std::string& style);
	FontFace* FallbackLocked();

	std::mutex fMutex;
	FT_LibraryRec_* fLibrary = nullptr;
	std::map<std::string, std::unique_ptr<FontFace>> fFaces;  // opened files
	std::map<std::string, FontFace*> fChosen;  // what each request resolved to
	FontFace* fFallback = nullptr;
};

#endif
