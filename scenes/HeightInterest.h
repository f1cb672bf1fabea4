#pragma once

/// Interest of a body that grows more attractive the lower it is: 0 at height 10 and above,
/// 10 more per unit of descent (truncated toward zero), 100 at height 0 and below.
int interestFromHeight(float height);
