// The binding room, above core: how names and classes meet the host. Signature lines, the argument
// binder and the registered-function entries, the subsystems' registration tables, class
// definitions and their type objects, the collector slots of object-holding classes, callable
// classes and the module their wrappers name, and the host's standard-library objects cached once.
#pragma once

#include "args.hpp"              // Signature, Default, Bound, bind, to_count/to_size/to_bool/check_dict
#include "cached_attr.hpp"       // HostAttr, cached_attr, lookup_attr, call_attr
#include "class_def.hpp"         // ClassDef, class_type, alloc_instance, free_instance
#include "collected_object.hpp"  // CollectedObject, collected_slots: object-holding classes, the rule once cleared
#include "function_def.hpp"      // function_def, method_def, static_method_def, Constructor, Kwargs
#include "named_args.hpp"        // Args: a body's arguments, by the names of its line
#include "registration.hpp"      // RegistrationTable, Registered: exported names in order, unexported classes
#include "signature_line.hpp"    // SignatureLine, Line, Declared, line_doc: a callable's one declaration
#include "vectorcall_class.hpp"  // CallOnly: classes whose instances can only be called
#include "wrapper_module.hpp"    // wrapper_getattro: a wrapper answers its function's __module__
