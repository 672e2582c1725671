// The bitmap font. (Being built: only the name exists so far.)
#pragma once
class TLettersCollection {};
