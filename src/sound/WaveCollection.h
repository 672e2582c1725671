// The sound collection. (Being built: only the name exists so far.)
#pragma once
class TWaveCollection {};
