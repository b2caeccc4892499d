# Number arguments of the generated glue go through the checked conversion
# (a script error for numbers the target type cannot hold) instead of a cast.
s/\(\(([a-z_ ]*[a-z_])\)  tolua_tonumber\(tolua_S,([0-9]+),([^()]*)\)\)/(script_api::checked_number<\1>(tolua_S,\2,\3))/g
s/tolua_index = \(int\)tolua_tonumber\(tolua_S,([0-9]+),0\);/tolua_index = script_api::array_index(tolua_S,\1);/g
