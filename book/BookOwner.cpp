#include "BookOwner.h"

BookOwner::~BookOwner() = default;
