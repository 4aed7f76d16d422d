// What the page's script does for the learning platform: it finds the SCORM
// run-time API among the page's parents and openers and passes each call on.
// The script decides nothing; every value comes from CLmsReporter.
#pragma once

extern "C" {
// Looks for the platform's API of SCORM 1.2 (v12 nonzero) or 2004.
void torvi_lms_find(int v12);
// Calls the API: 0 initialize, 1 get value, 2 set value, 3 commit, 4 finish
// (the element and value as the call needs them). The answer, made with
// malloc (the caller frees it); empty without a platform.
char* torvi_lms_call(int call, const char* element, const char* value);
// Minutes east of UTC where the learner is, now.
int torvi_lms_utc_offset(void);
}
