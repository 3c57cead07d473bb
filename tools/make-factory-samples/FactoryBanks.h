#pragma once

#include "TransientRecipe.h"

#include <vector>

// Every bank of factory attack samples with its recipes, in the order they are written.
const std::vector<BankRecipe>& getFactoryBanks();
