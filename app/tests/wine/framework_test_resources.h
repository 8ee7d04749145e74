// Resource ids of the framework tests.
#pragma once

#define kTestDialog 200
#define kTestDialogEdit 201
