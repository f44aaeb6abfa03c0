print(@N@)
