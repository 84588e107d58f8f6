#pragma once
// Placeholder: the local test server lands with the fetch work.
