#include "script/native_object.h"

#include "script/comp_wrapper.h"

namespace vorlan::script {

NativeObject::~NativeObject() {
    forgetWrapper(this);
}

} // namespace vorlan::script
