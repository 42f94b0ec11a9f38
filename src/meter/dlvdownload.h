#pragma once
// Download progress window.
