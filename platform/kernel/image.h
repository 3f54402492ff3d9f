// Kernel kit: loaded images (the application, its libraries and add-ons).
// Threading: every call is safe from any thread.
#ifndef _IMAGE_H
#define _IMAGE_H

#include <OS.h>

#include <limits.h>

typedef enum {
	B_APP_IMAGE = 1,
	B_LIBRARY_IMAGE,
	B_ADD_ON_IMAGE,
	B_SYSTEM_IMAGE,
} image_type;

typedef struct {
	image_id id;
	image_type type;
	int32 sequence;
	int32 init_order;
	void (*init_routine)();
	void (*term_routine)();
	dev_t device;
	ino_t node;
	char name[PATH_MAX];
	void* text;
	void* data;
	int32 text_size;
	int32 data_size;
} image_info;

#define B_SYMBOL_TYPE_DATA 0x1
#define B_SYMBOL_TYPE_TEXT 0x2
#define B_SYMBOL_TYPE_ANY 0x5

#define B_CURRENT_TEAM 0

#ifdef __cplusplus
extern "C" {
#endif

image_id load_add_on(const char* path);
status_t unload_add_on(image_id image);
status_t get_image_symbol(image_id image, const char* name, int32 symbolType, void** location);
status_t get_image_info(image_id image, image_info* info);
// Walks the images of a team: the application image first, then libraries, then add-ons.
status_t get_next_image_info(team_id team, int32* cookie, image_info* info);

#ifdef __cplusplus
}
#endif

#endif
